// The page 分布図: the groups of the last run, the three figures of the one
// selected (one-day against habitual distribution, percentile curves, normal
// probability plot), the log axis option and the export buttons. The page
// draws what the plot layer makes of a group's results; saving is the main
// window's (ButtonHozonClick, ButtonZenHozonClick).
#pragma once

#include <QWidget>

#include <vector>

#include "engine/GroupResult.h"
#include "plot/GroupPlots.h"
#include "ui/PlotExport.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;
class TPlotView;

class TPlotPage : public QWidget {
    Q_OBJECT
public:
    explicit TPlotPage(QWidget* parent = nullptr);

    // The groups of a run, in the run's order; the first one is shown.
    void SetResults(std::vector<habitual::TGroupResult> results);
    // No groups: the page says how to get some.
    void Clear();

    const std::vector<habitual::TGroupResult>& Results() const { return Groups; }
    // The group shown (-1: none) and the figure shown (0 histogram,
    // 1 cumulative, 2 normal).
    int CurrentGroup() const;
    int CurrentFigure() const;
    habitual::plot::TPlotOptions Options() const;
    // Whether the groups shown come from several analysis columns.
    bool SeveralColumns() const;
    // The figure shown; nullptr when there is none. Its files are laid out
    // on the figure's own canvas, as the batch tool's are.
    const habitual::plot::TFigure* CurrentFigureShown() const;
    TPlotFormat Format() const;

    QPushButton* ButtonHozon = nullptr;    // save the figure shown
    QPushButton* ButtonZenHozon = nullptr; // save every group's figures

private:
    void ListBoxBunruiClick();
    void CheckBoxTaisuClick();
    void ShowGroup();
    void EnableCommands();
    QWidget* MakeCommandColumn();

    QLabel* LabelBunrui = nullptr;
    std::vector<habitual::TGroupResult> Groups;
    QListWidget* ListBoxBunrui = nullptr;
    QTabWidget* PageControlBunpuzu = nullptr;
    TPlotView* PaintBox[3] = {};
    QCheckBox* CheckBoxTaisu = nullptr;
    QComboBox* ComboBoxKeishiki = nullptr;
};
