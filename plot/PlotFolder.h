// A run's plots written into one folder: per analysed group its three
// figures as SVG files (and PNG files when the caller can render them),
// named after the group's classification texts ("1_20-29_histogram.svg",
// "_cumulative", "_normal"), and index.html, listing every group heading
// with its files and showing the figures. The batch tool's --plots and the
// window's export of all groups write the same folder.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/GroupResult.h"
#include "plot/FileNames.h"
#include "plot/GroupPlots.h"
#include "plot/Scene.h"

namespace habitual::plot {

// PNG files have this many pixels per canvas unit: 1600 x 1120 for a
// figure, 300 dpi at 13.5 cm wide.
inline constexpr double PngScale = 2;

// Renders a scene as PNG bytes at PngScale; false when it cannot.
using TPngEncoder = std::function<bool(const TScene& scene, std::string& bytes)>;

// One group of the index: its heading lines and, per figure, its title and
// the names of its files.
struct TIndexGroup {
    std::vector<std::string> Heading;
    struct TFigureFiles {
        std::string Title;
        std::vector<std::string> Files;
    };
    std::vector<TFigureFiles> Figures;
};

// The index page (UTF-8 HTML, also well-formed XML).
std::string PlotIndexPage(const std::vector<TIndexGroup>& groups);

// The heading lines of a group as the results document shows them, without
// the rule above them, in UTF-8.
std::vector<std::string> HeadingLines(const TGroupHeading& heading);

class TPlotFolder {
public:
    // folder must exist (MakeFolders). Without svg and png nothing but the
    // index is written.
    TPlotFolder(std::string folder, TPlotOptions options, bool svg, TPngEncoder png);

    // Writes the group's files; false at the first file that cannot be
    // written (FailedPath), after which nothing more is written.
    bool Add(const TGroupResult& group);
    // Writes index.html; false when it cannot be written.
    bool Finish();

    const std::string& FailedPath() const { return Failed; }
    std::size_t FilesWritten() const { return Written; }

private:
    bool Write(const std::string& name, const std::string& bytes);

    std::string Folder;
    TPlotOptions Options;
    bool Svg;
    TPngEncoder Png;
    TFileNamer Names;
    std::vector<TIndexGroup> Index;
    std::string Failed;
    std::size_t Written = 0;
};

} // namespace habitual::plot
