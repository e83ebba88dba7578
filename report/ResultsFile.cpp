#include "report/ResultsFile.h"

#include <cstdio>
#include <memory>

#include "engine/Encoding.h"
#include "platform/Files.h"

namespace habitual {

std::vector<std::string> SplitResultsText(std::string_view bytes) {
    std::vector<std::string> lines;
    std::string piece;
    bool pendingLead = false; // piece ends with the first byte of a double-byte character
    bool open = false;        // bytes read since the last line was taken
    for (char c : bytes) {
        if (c == '\r') continue;
        if (c == '\x1A') break;
        if (c == '\n') {
            lines.push_back(std::move(piece));
            piece.clear();
            pendingLead = open = false;
            continue;
        }
        if (piece.size() == ResultsPieceLimit) {
            // Full: a character whose second byte would fall outside moves on
            // to the next piece whole.
            std::string carry;
            if (pendingLead) {
                carry.assign(1, piece.back());
                piece.pop_back();
            }
            lines.push_back(std::move(piece));
            piece = std::move(carry);
        }
        open = true;
        pendingLead = !pendingLead && IsCp932LeadByte(static_cast<unsigned char>(c));
        piece += c;
    }
    if (open) lines.push_back(std::move(piece));
    return lines;
}

bool ReadResultsFile(const std::string& path, std::vector<std::string>& lines) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenFile(path, "rb"), &std::fclose);
    if (!file) return false;
    if (!RegularFileSize(file.get())) return false;
    std::string bytes;
    char buffer[1 << 16];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, n);
    if (std::ferror(file.get())) return false;
    lines = SplitResultsText(bytes);
    return true;
}

std::string JoinResultsLines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

} // namespace habitual
