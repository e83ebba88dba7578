// Renders the pictures of the desktop program into a folder: the settings
// page after loading a survey, the results page after a standard run, the
// page 分布図 with each figure and the files it saves, the About box and the
// progress window. Used by scripts/screenshots.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QScrollArea>
#include <QTabWidget>

#include <cstdio>

#include "tests/ui/FakeDialogs.h"
#include "tests/ui/Fixtures.h"
#include "ui/About.h"
#include "ui/Main.h"
#include "ui/NoticePanel.h"
#include "ui/PlotPage.h"
#include "ui/Progress.h"

namespace {

// The offscreen platform draws no window frames: a plain title bar with the
// window's caption is added so that the picture shows it.
QImage WithTitleBar(QWidget& widget) {
    const QPixmap content = widget.grab();
    const int bar = 24;
    QImage image(content.width() + 2, content.height() + bar + 1, QImage::Format_RGB32);
    image.fill(QColor(0x5a, 0x6e, 0x8c));
    QPainter painter(&image);
    painter.drawPixmap(1, bar, content);
    painter.setPen(Qt::white);
    QFont font = widget.font();
    font.setPixelSize(13);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(8, 0, image.width() - 16, bar), Qt::AlignVCenter | Qt::AlignLeft,
                     widget.windowTitle());
    return image;
}

bool Save(QWidget& widget, const QDir& dir, const char* name) {
    const QString path = dir.filePath(QString::fromUtf8(name));
    const bool saved = WithTitleBar(widget).save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

void Choose(const TMainForm& form, const char* list, int item) {
    if (auto* combo = Control<QComboBox>(form, list)) combo->setCurrentIndex(item);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: habitual-ui-screenshots DIR SURVEY.csv\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    TFakeDialogs dialogs;
    TMainForm form(&dialogs);
    form.show();
    QApplication::processEvents();

    dialogs.OpenAnswers << QString::fromLocal8Bit(argv[2]);
    form.Button1Click();
    if (!dialogs.Errors.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(dialogs.Errors.join('\n')));
        return 1;
    }
    // Person: district, household, member; groups: sex and age class;
    // analysis column: energy (the columns of the bundled sample survey).
    Choose(form, "ComboBoxID1", 1);
    Choose(form, "ComboBoxID2", 2);
    Choose(form, "ComboBoxID3", 3);
    Choose(form, "ComboBoxBunrui1", 4);
    Choose(form, "ComboBoxBunrui2", 5);
    Choose(form, "ComboBoxEiyoso", 5);
    QApplication::processEvents();
    bool ok = Save(form, dir, "settings.png");

    form.ButtonRunClick();
    QApplication::processEvents();
    ok = Save(form, dir, "results.png") && ok;

    // The page 分布図 after a run with two cut-offs: each figure of the first
    // group, the percentile curves on a log axis, and the files the page saves.
    if (auto* cutOffs = Control<QLineEdit>(form, "EditCutOff1")) cutOffs->setText("1800 2500-");
    form.ButtonRunClick();
    auto* pages = Control<QTabWidget>(form, "PageControl1");
    auto* figures = Control<QTabWidget>(form, "PageControlBunpuzu");
    pages->setCurrentWidget(&form.Plots());
    static const char* const figureShots[] = {"plots-histogram.png", "plots-cumulative.png",
                                              "plots-normal.png"};
    for (int i = 0; i < 3; ++i) {
        figures->setCurrentIndex(i);
        QApplication::processEvents();
        ok = Save(form, dir, figureShots[i]) && ok;
    }
    figures->setCurrentIndex(1);
    Control<QCheckBox>(form, "CheckBoxTaisu")->setChecked(true);
    QApplication::processEvents();
    ok = Save(form, dir, "plots-log.png") && ok;
    Control<QCheckBox>(form, "CheckBoxTaisu")->setChecked(false);
    auto* format = Control<QComboBox>(form, "ComboBoxKeishiki");
    for (const char* name : {"plot-export.png", "plot-export.svg", "plot-export.pdf"}) {
        format->setCurrentIndex(QString::fromUtf8(name).endsWith("png")   ? 0
                                : QString::fromUtf8(name).endsWith("svg") ? 1
                                                                          : 2);
        dialogs.SaveAnswers << dir.filePath(QString::fromUtf8(name));
        dialogs.ConfirmAnswers << true;
        form.ButtonHozonClick();
    }
    format->setCurrentIndex(2);
    dialogs.SaveAnswers << dir.filePath(QStringLiteral("plots-all.pdf"));
    dialogs.ConfirmAnswers << true;
    form.ButtonZenHozonClick();
    if (!dialogs.Errors.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(dialogs.Errors.join('\n')));
        ok = false;
    }
    std::printf("wrote %s\n",
                qPrintable(dir.filePath(QStringLiteral("plot-export.*, plots-all.pdf"))));

    // The page 詳細設定 with the intervals asked for.
    pages->setCurrentWidget(Control<QWidget>(form, "TabSheetOptions"));
    if (auto* check = Control<QCheckBox>(form, "CheckBoxShinraiKukan")) check->setChecked(true);
    QApplication::processEvents();
    ok = Save(form, dir, "options.png") && ok;

    // Further down: several columns checked and the example cut-off table.
    if (auto* list = Control<QListWidget>(form, "ListBoxBunsekiHensu"))
        for (int i = 4; i < list->count() && i < 8; ++i) list->item(i)->setCheckState(Qt::Checked);
    // The example table beside the sample survey.
    dialogs.OpenAnswers << QFileInfo(QString::fromLocal8Bit(argv[2]))
                               .dir()
                               .filePath(QStringLiteral("sample-cutoffs.csv"));
    form.ButtonHyoHirakuClick();
    form.Notices().hide();
    if (auto* scroll = Control<QScrollArea>(form, "ScrollBoxOptions")) {
        QApplication::processEvents();
        scroll->ensureWidgetVisible(Control<QWidget>(form, "GroupBoxCutOffHyo"));
    }
    QApplication::processEvents();
    ok = Save(form, dir, "options-columns.png") && ok;
    if (auto* check = Control<QCheckBox>(form, "CheckBoxShinraiKukan")) check->setChecked(false);

    TAboutBox& about = *form.AboutBox();
    about.show();
    QApplication::processEvents();
    ok = Save(about, dir, "about.png") && ok;
    about.hide();

    TFormProgress& progress = *form.FormProgress();
    progress.setWindowTitle(QStringLiteral("ファイルを読み込み中"));
    progress.ProgressBar()->setRange(0, 529);
    progress.ProgressBar()->setValue(212);
    progress.ShowNow();
    QApplication::processEvents();
    ok = Save(progress, dir, "progress.png") && ok;
    progress.hide();
    progress.setWindowTitle(QStringLiteral("信頼区間を計算中"));
    progress.ProgressBar()->setRange(0, 1000);
    progress.ProgressBar()->setValue(380);
    progress.ShowNow(true);
    QApplication::processEvents();
    ok = Save(progress, dir, "progress-cancel.png") && ok;
    progress.hide();
    return ok ? 0 : 1;
}
