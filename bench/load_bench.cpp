// Loads a survey file into the main window the way the load button does once
// the file is chosen, and prints how long it took. Run it under
// /usr/bin/time -v (bench/load_bench.sh) for the peak memory.
#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>

#include <cstdio>

#include "Main.h"
#include "SurveyGrid.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: habitual-load-bench SURVEY.csv\n");
        return 2;
    }
    TMainForm form;
    form.show();
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    const bool loaded = form.LoadSurvey(QString::fromLocal8Bit(argv[1]));
    const qint64 loadMs = timer.elapsed();
    // Paint the window once with the loaded grid, as the user would see it.
    form.repaint();
    QApplication::processEvents();
    const qint64 shownMs = timer.elapsed();
    if (!loaded) return 1;

    const TSurveyGridModel& grid = form.SurveyGrid();
    std::printf("rows %d, columns %d\n", grid.GridRowCount(), grid.GridColCount());
    std::printf("load %.3f s, load and first paint %.3f s\n", loadMs / 1000.0, shownMs / 1000.0);
    return 0;
}
