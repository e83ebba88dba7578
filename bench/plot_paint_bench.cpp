// Times the window's side of the plots of a whole run: every group's three
// figures painted with QPainter at the size of the view (800 x 560), as PNG
// files (the window's PNG export, 1600 x 1120), and all groups as one PDF.
// Offscreen; run it on the reference survey (bench/plot_bench.sh).
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <vector>

#include "bench/PlotBenchRun.h"
#include "plot/GroupPlots.h"
#include "plot/Layout.h"
#include "plot/PlotFolder.h"
#include "ui/PlotExport.h"
#include "ui/PlotPainter.h"

using namespace habitual;
using bench::Clock;
using bench::Seconds;

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: habitual-plot-paint-bench SURVEY.csv\n");
        return 2;
    }
    std::vector<TGroupResult> groups;
    if (!bench::RunWithValues(argv[1], groups)) return 1;

    auto start = Clock::now();
    QImage view(800, 560, QImage::Format_RGB32);
    for (const TGroupResult& r : groups) {
        const plot::TGroupFigures f = plot::GroupFigures(r, {});
        for (const plot::TFigure* figure : {&f.Histogram, &f.Cumulative, &f.Normal}) {
            view.fill(Qt::white);
            QPainter painter(&view);
            PaintScene(painter, plot::LayOut(*figure), QRectF(0, 0, 800, 560));
        }
    }
    std::printf("painted in the window:    %.3f s (%zu groups)\n", Seconds(start), groups.size());

    start = Clock::now();
    for (const TGroupResult& r : groups) {
        const plot::TGroupFigures f = plot::GroupFigures(r, {});
        for (const plot::TFigure* figure : {&f.Histogram, &f.Cumulative, &f.Normal})
            SceneImage(plot::LayOut(*figure), plot::PngScale);
    }
    std::printf("painted at the PNG size:  %.3f s\n", Seconds(start));

    start = Clock::now();
    std::size_t bytes = 0;
    for (const TGroupResult& r : groups) {
        const plot::TGroupFigures f = plot::GroupFigures(r, {});
        for (const plot::TFigure* figure : {&f.Histogram, &f.Cumulative, &f.Normal}) {
            std::string png;
            if (PngBytes(plot::LayOut(*figure), png)) bytes += png.size();
        }
    }
    std::printf("window PNG export:        %.3f s (%zu bytes)\n", Seconds(start), bytes);

    start = Clock::now();
    std::string pdf;
    GroupsPdf(groups, {}, pdf);
    std::printf("window PDF of all groups: %.3f s (%zu bytes)\n", Seconds(start), pdf.size());
    return 0;
}
