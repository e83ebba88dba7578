// The page 分布図: the groups of the last run, the figures of the one chosen,
// the log axis, clearing with the document, and the files it saves (the
// same SVG as the batch tool's).
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "cli/CliApp.h"
#include "tests/ui/FakeDialogs.h"
#include "tests/ui/Fixtures.h"
#include "ui/Main.h"
#include "ui/PlotPage.h"
#include "ui/PlotView.h"
#include "ui/ResultsView.h"

namespace {

struct TWindow {
    TFakeDialogs Dialogs;
    TMainForm Form{&Dialogs};

    TPlotPage& Page() { return Form.Plots(); }
    QListWidget* Groups() { return Control<QListWidget>(Form, "ListBoxBunrui"); }
    TPlotView* View(const char* name) { return Control<TPlotView>(Form, name); }
    // Person 番号, groups by 性別, analysis column エネルギー.
    void Run(const QString& survey) {
        QVERIFY(Form.LoadSurvey(survey));
        Control<QComboBox>(Form, "ComboBoxID1")->setCurrentIndex(2);
        Control<QComboBox>(Form, "ComboBoxBunrui1")->setCurrentIndex(3);
        Control<QComboBox>(Form, "ComboBoxEiyoso")->setCurrentIndex(4);
        Form.ButtonRunClick();
    }
    void SetFormat(int index) {
        Control<QComboBox>(Form, "ComboBoxKeishiki")->setCurrentIndex(index);
    }
};

} // namespace

class TPlotPageTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir Dir;
    QString Survey;

    QString Path(const char* name) const { return Dir.filePath(QString::fromUtf8(name)); }

private slots:
    void initTestCase() {
        QVERIFY(Dir.isValid());
        Survey = Path("survey.csv");
        QVERIFY(WriteBytes(Survey, SmallSurvey()));
    }

    void followsTheLastRunAndClearsWithTheDocument() {
        TWindow w;
        QCOMPARE(w.Groups()->count(), 0);
        QVERIFY(!w.View("PaintBoxHindo")->Figure());
        QVERIFY(!w.View("PaintBoxHindo")->Text().isEmpty());
        QVERIFY(!w.Page().ButtonHozon->isEnabled());

        w.Run(Survey);
        const QStringList document = w.Form.ResultLines().Lines();
        QCOMPARE(w.Groups()->count(), 2);
        QCOMPARE(w.Groups()->item(0)->text(), QStringLiteral("[性別=1]"));
        QCOMPARE(w.Groups()->currentRow(), 0);
        for (const char* view : {"PaintBoxHindo", "PaintBoxRuiseki", "PaintBoxSeiki"})
            QVERIFY2(w.View(view)->Figure() && w.View(view)->Scene(), view);
        QVERIFY(w.Page().ButtonHozon->isEnabled());
        QVERIFY(w.View("PaintBoxHindo")->Figure()->Subtitle.rfind("エネルギー　[性別=1]", 0) == 0);

        // Another group, and the log axis.
        w.Groups()->setCurrentRow(1);
        QVERIFY(w.View("PaintBoxRuiseki")->Figure()->Subtitle.find("[性別=2]") !=
                std::string::npos);
        QCOMPARE(w.View("PaintBoxRuiseki")->Figure()->Panels[0].X.Scale,
                 habitual::plot::TScale::Linear);
        Control<QCheckBox>(w.Form, "CheckBoxTaisu")->setChecked(true);
        QCOMPARE(w.View("PaintBoxRuiseki")->Figure()->Panels[0].X.Scale,
                 habitual::plot::TScale::Log);
        QCOMPARE(w.Groups()->currentRow(), 1);

        // A second run replaces the groups; the plots never touch the document.
        w.Run(Survey);
        QCOMPARE(w.Groups()->count(), 2);
        QCOMPARE(w.Form.ResultLines().Lines().mid(0, document.size()), document);
        QCOMPARE(w.Form.ResultLines().Lines().size(), 2 * document.size());

        w.Dialogs.ConfirmAnswers << true;
        w.Form.FileNew();
        QCOMPARE(w.Groups()->count(), 0);
        QVERIFY(!w.View("PaintBoxSeiki")->Figure());
        QVERIFY(!w.Page().ButtonZenHozon->isEnabled());

        // Opening a results file replaces the run's document: its plots go.
        w.Run(Survey);
        const QString saved = Path("results.txt");
        QVERIFY(WriteBytes(saved, Sjis("計算結果\r\n")));
        w.Dialogs.OpenAnswers << saved;
        w.Form.FileOpen();
        QCOMPARE(w.Groups()->count(), 0);
    }

    void savesTheFigureShownAsTheBatchToolDoes() {
        TWindow w;
        w.Run(Survey);
        Control<QTabWidget>(w.Form, "PageControlBunpuzu")->setCurrentIndex(1);

        // SVG: the bytes the batch tool writes for the same group.
        w.SetFormat(1);
        w.Dialogs.SaveAnswers << Path("shown.svg");
        w.Form.ButtonHozonClick();
        QVERIFY(w.Dialogs.Errors.isEmpty());
        QCOMPARE(w.Dialogs.SaveShown.last().DefaultExt, QStringLiteral("svg"));
        QVERIFY(w.Dialogs.SaveShown.last().FileName.endsWith("1_cumulative.svg"));
        const QString folder = Path("cli");
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        QCOMPARE(habitual::RunCli({Survey.toStdString(), "--id", "2", "--class", "3", "--nutrient",
                                   "5", "--plots", folder.toStdString()},
                                  out, err),
                 0);
        std::fclose(out);
        std::fclose(err);
        QCOMPARE(ReadBytes(Path("shown.svg")), ReadBytes(folder + "/1_cumulative.svg"));

        // PNG and PDF by the name's extension; asked before overwriting.
        w.SetFormat(0);
        w.Dialogs.SaveAnswers << Path("shown.png");
        w.Form.ButtonHozonClick();
        QVERIFY(ReadBytes(Path("shown.png")).startsWith("\x89PNG\r\n"));
        w.Dialogs.SaveAnswers << Path("shown.pdf");
        w.Form.ButtonHozonClick();
        QVERIFY(ReadBytes(Path("shown.pdf")).startsWith("%PDF"));
        QCOMPARE(PdfPageCount(ReadBytes(Path("shown.pdf"))), 1);
        const QByteArray before = ReadBytes(Path("shown.png"));
        w.Groups()->setCurrentRow(1);
        w.Dialogs.SaveAnswers << Path("shown.png");
        w.Dialogs.ConfirmAnswers << false;
        w.Form.ButtonHozonClick();
        QCOMPARE(w.Dialogs.Confirms.size(), 1);
        QCOMPARE(ReadBytes(Path("shown.png")), before);
        // A cancelled dialog saves nothing.
        w.Form.ButtonHozonClick();
        QVERIFY(w.Dialogs.Errors.isEmpty());
    }

    void savesEveryGroup() {
        TWindow w;
        w.Run(Survey);
        // One PDF, a page per group.
        w.SetFormat(2);
        w.Dialogs.SaveAnswers << Path("all.pdf");
        w.Form.ButtonZenHozonClick();
        QVERIFY(w.Dialogs.Errors.isEmpty());
        QCOMPARE(PdfPageCount(ReadBytes(Path("all.pdf"))), 2);

        // A folder of PNG files with the index, as --plots writes it.
        QVERIFY(QDir().mkpath(Path("png")));
        w.SetFormat(0);
        w.Dialogs.FolderAnswers << Path("png");
        w.Form.ButtonZenHozonClick();
        QVERIFY(w.Dialogs.Errors.isEmpty());
        QStringList files = QDir(Path("png")).entryList(QDir::Files, QDir::Name);
        QCOMPARE(files, QStringList({"1_cumulative.png", "1_histogram.png", "1_normal.png",
                                     "2_cumulative.png", "2_histogram.png", "2_normal.png",
                                     "index.html"}));
        // Again into the same folder: asked first.
        w.Dialogs.FolderAnswers << Path("png");
        w.Dialogs.ConfirmAnswers << false;
        w.Form.ButtonZenHozonClick();
        QCOMPARE(w.Dialogs.Confirms.size(), 1);

        // A file that cannot be written is said.
        QVERIFY(QDir().mkpath(Path("svg/1_histogram.svg")));
        w.SetFormat(1);
        w.Dialogs.FolderAnswers << Path("svg");
        w.Form.ButtonZenHozonClick();
        QCOMPARE(w.Dialogs.Errors.size(), 1);
        QVERIFY(w.Dialogs.Errors[0].contains("1_histogram.svg"));
    }
};

QTEST_MAIN(TPlotPageTest)
#include "PlotPageTest.moc"
