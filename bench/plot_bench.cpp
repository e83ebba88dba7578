// Times the plots of a whole run: the run itself (with the groups' values),
// then for every analysed group its three figures laid out (what the window
// draws), the same written as SVG files into a folder (--plots without PNG),
// and, where the build has Cairo, as PNG files too. Prints each time, the
// largest SVG and the number of groups. Run it on the reference survey
// (bench/plot_bench.sh) with the machine otherwise idle.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/PlotBenchRun.h"
#include "plot/GroupPlots.h"
#include "plot/Layout.h"
#include "plot/PlotFolder.h"
#include "plot/Svg.h"
#ifdef HABITUAL_PLOT_PNG
#include "plotpng/CairoPng.h"
#endif

using namespace habitual;
using bench::Clock;
using bench::Seconds;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: habitual-plot-bench SURVEY.csv OUTPUT_FOLDER\n"
                             "  the survey's columns: 1-3 person, 4-5 groups, 6 analysis\n");
        return 2;
    }
    std::vector<TGroupResult> groups;
    auto start = Clock::now();
    if (!bench::RunWithValues(argv[1], groups)) {
        std::fprintf(stderr, "the run was rejected\n");
        return 1;
    }
    std::printf("run with values:          %.3f s, %zu groups\n", Seconds(start), groups.size());

    for (bool log : {false, true}) {
        plot::TPlotOptions plotOptions;
        plotOptions.LogAxis = log;
        start = Clock::now();
        std::size_t items = 0;
        for (const TGroupResult& r : groups) {
            const plot::TGroupFigures f = plot::GroupFigures(r, plotOptions);
            for (const plot::TFigure* figure : {&f.Histogram, &f.Cumulative, &f.Normal})
                items += plot::LayOut(*figure).Groups.size();
        }
        std::printf("figures laid out%s: %.3f s (%zu scene groups)\n",
                    log ? " (log)  " : "        ", Seconds(start), items);
    }

    const std::filesystem::path out = argv[2];
    std::filesystem::create_directories(out / "svg");
    start = Clock::now();
    plot::TPlotFolder svg((out / "svg").string(), {}, true, nullptr);
    for (const TGroupResult& r : groups) svg.Add(r);
    const bool svgWritten = svg.Finish();
    std::printf("SVG files written:        %.3f s (%zu files%s)\n", Seconds(start),
                svg.FilesWritten(), svgWritten ? "" : ", a file failed");
    std::uintmax_t largest = 0;
    for (const auto& entry : std::filesystem::directory_iterator(out / "svg"))
        if (entry.path().extension() == ".svg") largest = std::max(largest, entry.file_size());
    std::printf("largest SVG:              %ju bytes\n", largest);

#ifdef HABITUAL_PLOT_PNG
    std::filesystem::create_directories(out / "png");
    start = Clock::now();
    plot::TPlotFolder png((out / "png").string(), {}, false,
                          [](const plot::TScene& scene, std::string& bytes) {
                              return plot::CairoPng(scene, plot::PngScale, bytes);
                          });
    for (const TGroupResult& r : groups) png.Add(r);
    png.Finish();
    std::printf("PNG files written:        %.3f s (%zu files)\n", Seconds(start),
                png.FilesWritten());
#endif
    return 0;
}
