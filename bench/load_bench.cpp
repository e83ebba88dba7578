// Loads a survey file into the main window the way the load button does once
// the file is chosen, and prints how long it took. With --run it then runs
// the comma-separated data output (one line per person) into the results
// view and times that too. Run it under /usr/bin/time -v
// (bench/load_bench.sh) for the peak memory.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>

#include <cstdio>
#include <cstring>

#include "ui/Main.h"
#include "ui/RadioGroup.h"
#include "ui/ResultsView.h"
#include "ui/SurveyGrid.h"

namespace {

void Choose(const TMainForm& form, const char* list, int item) {
    form.findChild<QComboBox*>(QString::fromUtf8(list))->setCurrentIndex(item);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool run = argc == 3 && std::strcmp(argv[2], "--run") == 0;
    if (argc != 2 && !run) {
        std::fprintf(stderr, "usage: habitual-load-bench SURVEY.csv [--run]\n");
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
    if (!run) return 0;

    // Person: columns 1 to 3; groups: columns 4 and 5; analysis column 6.
    Choose(form, "ComboBoxID1", 1);
    Choose(form, "ComboBoxID2", 2);
    Choose(form, "ComboBoxID3", 3);
    Choose(form, "ComboBoxBunrui1", 4);
    Choose(form, "ComboBoxBunrui2", 5);
    Choose(form, "ComboBoxEiyoso", 5);
    form.findChild<TRadioGroup*>(QStringLiteral("RadioGroupOutType"))->SetItemIndex(2);
    timer.restart();
    form.ButtonRunClick();
    const qint64 runMs = timer.elapsed();
    form.repaint();
    QApplication::processEvents();
    const qint64 runShownMs = timer.elapsed();
    std::printf("data output: %d lines, run %.3f s, run and first paint %.3f s\n",
                form.ResultLines().Count(), runMs / 1000.0, runShownMs / 1000.0);
    return 0;
}
