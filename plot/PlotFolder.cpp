#include "plot/PlotFolder.h"

#include "engine/Encoding.h"
#include "platform/SaveFile.h"
#include "plot/Layout.h"
#include "plot/Svg.h"

namespace habitual::plot {
namespace {

// Every byte but the unreserved characters of RFC 3986 as %XX, so that any
// file name is a relative address.
std::string UrlPath(const std::string& name) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            out += ch;
        } else {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

std::string Extension(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    std::string ext = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    return ext;
}

} // namespace

std::vector<std::string> HeadingLines(const TGroupHeading& heading) {
    std::vector<std::string> lines;
    const std::vector<std::string> all = heading.Lines();
    for (std::size_t i = 1; i < all.size(); ++i) lines.push_back(Cp932ToUtf8(all[i]));
    return lines;
}

std::string PlotIndexPage(const std::vector<TIndexGroup>& groups) {
    std::string page = "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\"/>\n"
                       "<title>分布図の一覧</title>\n<style>\n"
                       "body { font-family: 'Yu Gothic', 'Meiryo', 'IPAGothic', sans-serif; }\n"
                       "section { margin-bottom: 2em; }\n"
                       "h2 { font-size: 1.05em; border-top: 1px solid #888; padding-top: 0.5em; }\n"
                       "img { width: 32%; min-width: 300px; border: 1px solid #ccc; }\n"
                       "</style>\n</head>\n<body>\n<h1>分布図の一覧</h1>\n";
    for (const TIndexGroup& group : groups) {
        page += "<section class=\"group\">\n<h2>";
        for (std::size_t i = 0; i < group.Heading.size(); ++i) {
            if (i > 0) page += "<br/>";
            page += "<span class=\"heading\">" + XmlEscaped(group.Heading[i]) + "</span>";
        }
        page += "</h2>\n<ul>\n";
        for (const TIndexGroup::TFigureFiles& figure : group.Figures) {
            page += "<li>" + XmlEscaped(figure.Title) + "：";
            for (std::size_t i = 0; i < figure.Files.size(); ++i) {
                if (i > 0) page += "、";
                page += "<a href=\"" + UrlPath(figure.Files[i]) + "\">" +
                        Extension(figure.Files[i]) + "</a>";
            }
            page += "</li>\n";
        }
        page += "</ul>\n<p>";
        for (const TIndexGroup::TFigureFiles& figure : group.Figures)
            if (!figure.Files.empty())
                page += "<img src=\"" + UrlPath(figure.Files.front()) + "\" alt=\"" +
                        XmlEscaped(figure.Title) + "\"/>";
        page += "</p>\n</section>\n";
    }
    page += "</body>\n</html>\n";
    return page;
}

TPlotFolder::TPlotFolder(std::string folder, TPlotOptions options, bool svg, TPngEncoder png)
    : Folder(std::move(folder)), Options(options), Svg(svg), Png(std::move(png)) {
    if (!Folder.empty() && Folder.back() != '/'
#ifdef _WIN32
        && Folder.back() != '\\'
#endif
    )
        Folder += '/';
}

bool TPlotFolder::Write(const std::string& name, const std::string& bytes) {
    const std::string path = Folder + name;
    if (!SaveFile(path, bytes)) {
        Failed = path;
        return false;
    }
    ++Written;
    return true;
}

bool TPlotFolder::Add(const TGroupResult& group) {
    if (!Failed.empty()) return false;
    const std::string base = Names.Unique(GroupFileBase(group.Heading, Options.ColumnInNames));
    const TGroupFigures figures = GroupFigures(group, Options);
    TIndexGroup entry;
    entry.Heading = HeadingLines(group.Heading);
    for (const TFigure* figure : {&figures.Histogram, &figures.Cumulative, &figures.Normal}) {
        const TScene scene = LayOut(*figure);
        TIndexGroup::TFigureFiles files;
        files.Title = figure->Title;
        const std::string stem = base + "_" + figure->Id;
        if (Svg) {
            if (!Write(stem + ".svg", SvgDocument(scene))) return false;
            files.Files.push_back(stem + ".svg");
        }
        if (Png) {
            std::string png;
            if (!Png(scene, png)) {
                Failed = Folder + stem + ".png";
                return false;
            }
            if (!Write(stem + ".png", png)) return false;
            files.Files.push_back(stem + ".png");
        }
        entry.Figures.push_back(std::move(files));
    }
    Index.push_back(std::move(entry));
    return true;
}

bool TPlotFolder::Finish() {
    if (!Failed.empty()) return false;
    return Write("index.html", PlotIndexPage(Index));
}

} // namespace habitual::plot
