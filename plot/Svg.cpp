#include "plot/Svg.h"

#include <cmath>

#include "plot/Numbers.h"
#include "plot/Utf8.h"

namespace habitual::plot {
namespace {

const char* const Replacement = "\xEF\xBF\xBD";

// A coordinate: two decimals at most, without trailing zeros.
void AppendCoord(std::string& out, double v) {
    std::string text = Fixed(std::isfinite(v) ? v : 0.0, 2);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    out += text;
}

std::string Coord(double v) {
    std::string text;
    AppendCoord(text, v);
    return text;
}

std::string Hex(const TColor& c) {
    static const char digits[] = "0123456789abcdef";
    std::string text = "#";
    for (std::uint8_t v : {c.R, c.G, c.B}) {
        text += digits[v >> 4];
        text += digits[v & 15];
    }
    return text;
}

void AppendAttribute(std::string& out, const char* name, const std::string& value) {
    out += ' ';
    out += name;
    out += "=\"";
    out += value;
    out += '"';
}

void AppendId(std::string& out, const std::string& id) {
    if (!id.empty()) AppendAttribute(out, "id", XmlEscaped(id));
}

void AppendPaint(std::string& out, const std::optional<TStroke>& stroke,
                 const std::optional<TColor>& fill) {
    if (fill) {
        AppendAttribute(out, "fill", Hex(*fill));
        if (fill->Alpha < 1) AppendAttribute(out, "fill-opacity", Fixed(fill->Alpha, 3));
    } else {
        AppendAttribute(out, "fill", "none");
    }
    if (!stroke) return;
    AppendAttribute(out, "stroke", Hex(stroke->Color));
    if (stroke->Color.Alpha < 1)
        AppendAttribute(out, "stroke-opacity", Fixed(stroke->Color.Alpha, 3));
    AppendAttribute(out, "stroke-width", Coord(stroke->Width));
    const std::vector<double> dashes = DashLengths(*stroke);
    if (!dashes.empty()) {
        std::string pattern;
        for (double d : dashes) {
            if (!pattern.empty()) pattern += ' ';
            AppendCoord(pattern, d);
        }
        AppendAttribute(out, "stroke-dasharray", pattern);
    }
}

void AppendPath(std::string& out, const TSceneItem& item, const TPath& path) {
    if (path.Parts.empty()) {
        // An empty series stays in the file, so that a reader finds it by its id.
        if (!item.Id.empty()) {
            out += "<path";
            AppendId(out, item.Id);
            out += " d=\"\"/>\n";
        }
        return;
    }
    out += "<path";
    AppendId(out, item.Id);
    out += " d=\"";
    for (const std::vector<TPoint>& part : path.Parts) {
        for (std::size_t i = 0; i < part.size(); ++i) {
            out += i == 0 ? 'M' : 'L';
            AppendCoord(out, part[i].X);
            out += ' ';
            AppendCoord(out, part[i].Y);
        }
        if (path.Closed) out += 'Z';
    }
    out += '"';
    AppendPaint(out, path.Stroke, path.Fill);
    if (path.Stroke) out += " stroke-linejoin=\"round\"";
    out += "/>\n";
}

void AppendDots(std::string& out, const TSceneItem& item, const TDots& dots) {
    out += "<path";
    AppendId(out, item.Id);
    AppendAttribute(out, "data-marker", dots.Marker == TMarker::Square ? "square" : "circle");
    AppendAttribute(out, "data-marker-size", Coord(dots.Size));
    out += " d=\"";
    const std::string r = Coord(dots.Size), d = Coord(2 * dots.Size);
    for (const TPoint& p : dots.At) {
        if (dots.Marker == TMarker::Square) {
            out += 'M';
            AppendCoord(out, p.X - dots.Size);
            out += ' ';
            AppendCoord(out, p.Y - dots.Size);
            out += "h" + d + "v" + d + "h-" + d + "Z";
        } else {
            // A circle as two half arcs from its left end.
            out += 'M';
            AppendCoord(out, p.X - dots.Size);
            out += ' ';
            AppendCoord(out, p.Y);
            out += "a" + r + " " + r + " 0 1 0 " + d + " 0a" + r + " " + r + " 0 1 0 -" + d + " 0Z";
        }
    }
    out += '"';
    AppendPaint(out, dots.Stroke, dots.Fill);
    out += "/>\n";
}

void AppendText(std::string& out, const TSceneItem& item, const TText& text) {
    out += "<text";
    AppendId(out, item.Id);
    AppendAttribute(out, "x", Coord(text.At.X));
    AppendAttribute(out, "y", Coord(text.At.Y));
    AppendAttribute(out, "font-size", Coord(text.Size));
    if (text.Anchor != TAnchor::Start)
        AppendAttribute(out, "text-anchor", text.Anchor == TAnchor::Middle ? "middle" : "end");
    if (text.Bold) AppendAttribute(out, "font-weight", "bold");
    if (text.Color.R != 0 || text.Color.G != 0 || text.Color.B != 0)
        AppendAttribute(out, "fill", Hex(text.Color));
    if (text.Rotation != 0)
        AppendAttribute(out, "transform",
                        "rotate(" + Coord(text.Rotation) + " " + Coord(text.At.X) + " " +
                            Coord(text.At.Y) + ")");
    out += '>';
    out += XmlEscaped(text.Text);
    out += "</text>\n";
}

// The length of the UTF-8 sequence starting at s[i] when it is valid and a
// character XML allows, else 0.
std::size_t ValidSequence(std::string_view s, std::size_t i) {
    std::uint32_t cp = 0;
    const std::size_t n = DecodeUtf8(s, i, cp);
    return cp == 0xFFFE || cp == 0xFFFF ? 0 : n;
}

} // namespace

std::string XmlEscaped(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const char c = utf8[i];
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default: {
            const auto u = static_cast<unsigned char>(c);
            if (u < 0x20 || u == 0x7F) {
                out += Replacement;
                break;
            }
            const std::size_t n = ValidSequence(utf8, i);
            if (n == 0) {
                out += Replacement;
                ++i;
                continue;
            }
            out.append(utf8.substr(i, n));
            i += n;
            continue;
        }
        }
        ++i;
    }
    return out;
}

std::string SvgDocument(const TScene& scene) {
    std::string out;
    out.reserve(64 * 1024);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"";
    AppendAttribute(out, "width", Coord(scene.Width));
    AppendAttribute(out, "height", Coord(scene.Height));
    AppendAttribute(out, "viewBox", "0 0 " + Coord(scene.Width) + " " + Coord(scene.Height));
    std::string families;
    for (const char* family : FontFamilies) families += std::string("'") + family + "', ";
    AppendAttribute(out, "font-family", families + "sans-serif");
    out += ">\n<title>" + XmlEscaped(scene.Title) + "</title>\n";

    int clips = 0;
    for (const TSceneGroup& group : scene.Groups) {
        std::string clipId;
        if (group.Clip) {
            clipId = "clip" + std::to_string(++clips);
            const TRect& r = *group.Clip;
            out += "<clipPath id=\"" + clipId + "\"><rect x=\"" + Coord(r.Left) + "\" y=\"" +
                   Coord(r.Top) + "\" width=\"" + Coord(r.Width) + "\" height=\"" +
                   Coord(r.Height) + "\"/></clipPath>\n";
        }
        out += "<g";
        AppendId(out, group.Id);
        for (const auto& [name, value] : group.Attributes)
            AppendAttribute(out, name.c_str(), XmlEscaped(value));
        if (!clipId.empty()) AppendAttribute(out, "clip-path", "url(#" + clipId + ")");
        out += ">\n";
        for (const TSceneItem& item : group.Items) {
            if (const auto* path = std::get_if<TPath>(&item.Shape))
                AppendPath(out, item, *path);
            else if (const auto* dots = std::get_if<TDots>(&item.Shape))
                AppendDots(out, item, *dots);
            else if (const auto* text = std::get_if<TText>(&item.Shape))
                AppendText(out, item, *text);
        }
        out += "</g>\n";
    }
    out += "</svg>\n";
    return out;
}

} // namespace habitual::plot
