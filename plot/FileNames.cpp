#include "plot/FileNames.h"

#include <cstdint>

#include "engine/Encoding.h"
#include "plot/Utf8.h"

namespace habitual::plot {
namespace {

bool Forbidden(std::uint32_t cp) {
    switch (cp) {
    case '<':
    case '>':
    case ':':
    case '"':
    case '/':
    case '\\':
    case '|':
    case '?':
    case '*':
        return true;
    default:
        return cp < 0x20 || (cp >= 0x7F && cp < 0xA0);
    }
}

void TrimEnd(std::string& name) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
}

// Whether the part of name before its first dot, less trailing spaces, is a
// device name of Windows.
bool DeviceName(const std::string& name) {
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    std::string upper;
    for (char c : stem) upper += c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
    if (upper.size() < 4) return false;
    const std::string head = upper.substr(0, 3), tail = upper.substr(3);
    if (head != "COM" && head != "LPT") return false;
    return (tail.size() == 1 && tail[0] >= '0' && tail[0] <= '9') || tail == "\xC2\xB9" ||
           tail == "\xC2\xB2" || tail == "\xC2\xB3";
}

} // namespace

std::string SafeFileName(std::string_view utf8, std::size_t maxBytes) {
    std::string name;
    for (std::size_t i = 0; i < utf8.size();) {
        std::uint32_t cp = 0;
        const std::size_t n = DecodeUtf8(utf8, i, cp);
        if (n == 0) {
            name += '_';
            ++i;
            continue;
        }
        std::string piece;
        if (Forbidden(cp))
            piece = "_";
        else
            AppendUtf8(piece, cp);
        // Cut at a character boundary, leaving room for a leading "_".
        if (name.size() + piece.size() > maxBytes - 1) break;
        name += piece;
        i += n;
    }
    TrimEnd(name);
    if (!name.empty() && name[0] == '.') name[0] = '_';
    if (name.empty()) return "_";
    if (DeviceName(name)) name = "_" + name;
    return name;
}

std::string GroupFileBase(const TGroupHeading& heading, bool withColumn) {
    if (withColumn) {
        const std::string column = Cp932ToUtf8(heading.NutrientName);
        return SafeFileName((column.empty() ? std::string("空欄") : column) + "_" +
                            GroupFileBase(heading, false));
    }
    if (!heading.ClassLine) return "全体";
    std::string base;
    for (int k = 0; k < 3; ++k) {
        if (heading.ClassNames[k].empty()) continue;
        const std::string text = Cp932ToUtf8(heading.ClassTexts[k]);
        if (!base.empty()) base += '_';
        base += text.empty() ? std::string("空欄") : text;
    }
    return SafeFileName(base.empty() ? std::string("全体") : base);
}

std::string FoldedName(std::string_view utf8) {
    std::string folded;
    for (std::size_t i = 0; i < utf8.size();) {
        std::uint32_t cp = 0;
        const std::size_t n = DecodeUtf8(utf8, i, cp);
        if (n == 0) {
            folded += utf8[i++];
            continue;
        }
        if ((cp >= 'A' && cp <= 'Z') || (cp >= 0xFF21 && cp <= 0xFF3A) ||
            (cp >= 0x391 && cp <= 0x3A9 && cp != 0x3A2) || (cp >= 0x410 && cp <= 0x42F))
            cp += 0x20;
        else if (cp >= 0x400 && cp <= 0x40F)
            cp += 0x50;
        else if (cp >= 0x2160 && cp <= 0x216F)
            cp += 0x10;
        AppendUtf8(folded, cp);
        i += n;
    }
    return folded;
}

std::string TFileNamer::Unique(const std::string& base) {
    std::string name = base;
    for (int k = 2; !Taken.insert(FoldedName(name)).second; ++k)
        name = base + "~" + std::to_string(k);
    return name;
}

} // namespace habitual::plot
