// The main window's settings page: initial state, menus, focus order, option
// interlocks, survey loading and the run command.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

#include "engine/Encoding.h"
#include "engine/RunAnalysis.h"
#include "engine/UserMessages.h"
#include "report/Report.h"
#include "tests/ui/FakeDialogs.h"
#include "tests/ui/Fixtures.h"
#include "ui/About.h"
#include "ui/Browser.h"
#include "ui/Main.h"
#include "ui/PathLabel.h"
#include "ui/Progress.h"
#include "ui/RadioGroup.h"
#include "ui/ResultsView.h"
#include "ui/SurveyGrid.h"

namespace {

const char* const IdLists[] = {"ComboBoxID1", "ComboBoxID2", "ComboBoxID3", "ComboBoxID4"};
const char* const ClassLists[] = {"ComboBoxBunrui1", "ComboBoxBunrui2", "ComboBoxBunrui3"};

// The window and its answering dialogs, made anew for each test.
struct TWindow {
    TFakeDialogs Dialogs;
    TMainForm Form{&Dialogs};

    QComboBox* List(const char* name) { return Control<QComboBox>(Form, name); }
    TRadioGroup* Group(const char* name) { return Control<TRadioGroup>(Form, name); }
    QLineEdit* Edit(const char* name) { return Control<QLineEdit>(Form, name); }
    QTabWidget* Pages() { return Control<QTabWidget>(Form, "PageControl1"); }
    QString FileName() { return Control<QLabel>(Form, "PanelDietFileName")->text(); }
    const TSurveyGridModel& Grid() { return Form.SurveyGrid(); }

    // Loads through the load button, the dialog answering path.
    void Load(const QString& path) {
        Dialogs.OpenAnswers << path;
        Form.Button1Click();
    }
    // Person column 2 (番号), classification column 3 (性別), analysis column 5.
    void ChooseColumns() {
        List("ComboBoxID1")->setCurrentIndex(2);
        List("ComboBoxBunrui1")->setCurrentIndex(3);
        List("ComboBoxEiyoso")->setCurrentIndex(4);
    }
    QStringList Document() { return Form.ResultLines().Lines(); }
};

} // namespace

class TMainWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir Dir;
    QString SurveyPath;

    QString WriteSurvey(const char* name, const QByteArray& bytes) {
        const QString path = Dir.filePath(QString::fromUtf8(name));
        if (!WriteBytes(path, bytes)) qWarning("cannot write %s", name);
        return path;
    }

private slots:
    void initTestCase() {
        QVERIFY(Dir.isValid());
        SurveyPath = WriteSurvey("survey.csv", SmallSurvey());
    }

    void startsInItsInitialState() {
        TWindow w;
        QCOMPARE(w.Form.windowTitle(), QString::fromUtf8(SystemTitle));
        QCOMPARE(w.Pages()->count(), 4);
        QCOMPARE(w.Pages()->tabText(0), QStringLiteral("計算法の指定"));
        QCOMPARE(w.Pages()->tabText(1), QStringLiteral("詳細設定"));
        QCOMPARE(w.Pages()->tabText(2), QStringLiteral("計算結果"));
        QCOMPARE(w.Pages()->tabText(3), QStringLiteral("分布図"));
        QCOMPARE(w.Pages()->currentWidget()->objectName(), QStringLiteral("TabSheet2"));
        for (const char* name :
             {"ComboBoxID1", "ComboBoxID2", "ComboBoxID3", "ComboBoxID4", "ComboBoxBunrui1",
              "ComboBoxBunrui2", "ComboBoxBunrui3", "ComboBoxEiyoso"}) {
            QVERIFY2(w.List(name), name);
            QCOMPARE(w.List(name)->count(), 0);
            QCOMPARE(w.List(name)->currentIndex(), -1);
        }
        QCOMPARE(w.Group("RadioGroupNormalizeMethod")->ItemIndex(), 0);
        QCOMPARE(w.Group("RadioGroupHendo")->ItemIndex(), 0);
        QCOMPARE(w.Group("RadioGroupOutType")->ItemIndex(), 0);
        QVERIFY(!w.Group("RadioGroupHendo")->isEnabled());
        for (const char* name : {"EditBekiti", "EditVW", "EditVWBRatio"}) {
            QVERIFY2(!w.Edit(name)->isEnabled(), name);
            QVERIFY(w.Edit(name)->text().isEmpty());
        }
        QVERIFY(w.Edit("EditCutOff1")->isEnabled());
        QVERIFY(Control<QPushButton>(w.Form, "ButtonRun")->isEnabled());
        QCOMPARE(w.Group("RadioGroupHendo")->Item(1)->text(), QStringLiteral("個人内分散　="));
        QCOMPARE(w.Grid().GridRowCount(), 256);
        QCOMPARE(w.Grid().GridColCount(), 256);
        QCOMPARE(w.Form.ResultLines().Count(), 0);
        QVERIFY(w.FileName().isEmpty());
        // The two other windows exist from the start, hidden.
        QVERIFY(w.Form.AboutBox() && !w.Form.AboutBox()->isVisible());
        QVERIFY(w.Form.FormProgress() && !w.Form.FormProgress()->isVisible());
        QCOMPARE(w.Form.FormProgress()->windowTitle(), QStringLiteral("FormProgress"));
        QCOMPARE(w.Form.FormProgress()->ProgressBar()->maximum(), 100);
    }

    void menusAndTooltips() {
        TWindow w;
        const QList<QPair<const char*, const char*>> items = {
            {"FileNewItem", "計算結果・クリア(&N)"},
            {"FileOpenItem", "計算結果・開く(&O)..."},
            {"FileSaveAsItem", "計算結果・名前をつけて保存(&A)..."},
            {"FilePrintItem", "計算結果・印刷(&P)..."},
            {"FilePrintSetupItem", "プリンタの設定(&R)..."},
            {"FileExitItem", "終了(&X)"},
            {"HelpAboutItem", "バージョン情報(&A)..."},
        };
        for (const auto& item : items) {
            QAction* action = Control<QAction>(w.Form, item.first);
            QVERIFY2(action, item.first);
            QCOMPARE(action->text(), QString::fromUtf8(item.second));
            QVERIFY(action->shortcut().isEmpty());
        }
        QStringList menus;
        for (QAction* menu : w.Form.menuBar()->actions()) menus << menu->text();
        QCOMPARE(menus,
                 QStringList({QStringLiteral("ファイル(&F)"), QStringLiteral("ヘルプ(&H)")}));
        auto* fileMenu = Control<QMenu>(w.Form, "FileMenu");
        QStringList order;
        for (QAction* action : fileMenu->actions()) order << action->objectName();
        QCOMPARE(order, QStringList({"FileNewItem", "FileOpenItem", "FileSaveAsItem", "N1",
                                     "FilePrintItem", "FilePrintSetupItem", "N4", "FileExitItem"}));

        // The cut-off tooltip covers the group's label and edit; the grid has
        // its own; nothing else has one.
        QCOMPARE(Control<QWidget>(w.Form, "GroupBox4")->toolTip(),
                 QStringLiteral("末尾に-をつけると'未満'。例） 10 20-  …10以上,20未満"));
        QVERIFY(w.Edit("EditCutOff1")->toolTip().isEmpty());
        QCOMPARE(Control<QWidget>(w.Form, "StringGridDietFile")->toolTip(),
                 QStringLiteral("表示するだけです。入力はできません。"));
        QCOMPARE(w.Grid().data(w.Grid().index(3, 3), Qt::ToolTipRole).toString(),
                 QStringLiteral("表示するだけです。入力はできません。"));
        for (QWidget* child : w.Form.findChildren<QWidget*>()) {
            const QString name = child->objectName();
            if (name == "GroupBox4" || name == "StringGridDietFile") continue;
            QVERIFY2(child->toolTip().isEmpty(), qPrintable(name));
        }
    }

    void tabMovesThroughTheSettingsInOrder() {
        TWindow w;
        w.Form.show();
        QApplication::setActiveWindow(&w.Form);
        QVERIFY(QTest::qWaitForWindowActive(&w.Form));
        auto walk = [&w](int steps) {
            QStringList visited;
            Control<QWidget>(w.Form, "Button1")->setFocus(Qt::TabFocusReason);
            for (int i = 0; i < steps; ++i) {
                visited << QApplication::focusWidget()->objectName();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            return visited;
        };
        const QStringList start = {"Button1",         "ComboBoxID1",     "ComboBoxID2",
                                   "ComboBoxID3",     "ComboBoxID4",     "ComboBoxBunrui1",
                                   "ComboBoxBunrui2", "ComboBoxBunrui3", "ComboBoxEiyoso"};
        // The variance options are disabled and skipped; a radio group is one stop.
        QCOMPARE(walk(14), start + QStringList({"RadioGroupNormalizeMethod0", "EditCutOff1",
                                                "RadioGroupOutType0", "ButtonRun", "Button1"}));

        w.Group("RadioGroupNormalizeMethod")->SetItemIndex(3);
        QCOMPARE(walk(17), start + QStringList({"RadioGroupNormalizeMethod3", "EditCutOff1",
                                                "RadioGroupOutType0", "ButtonRun", "EditBekiti",
                                                "RadioGroupHendo0", "EditVW", "EditVWBRatio"}));
        // Tabbing through the variance edits chose their options in turn.
        QCOMPARE(w.Group("RadioGroupHendo")->ItemIndex(), 2);

        // The arrow keys move the selection within a group, and the group's
        // stop moves with it.
        TRadioGroup* outType = w.Group("RadioGroupOutType");
        outType->Item(0)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(outType->Item(0), Qt::Key_Down);
        QCOMPARE(outType->ItemIndex(), 1);
        QCOMPARE(QApplication::focusWidget(), outType->Item(1));
        QTest::keyClick(outType->Item(1), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("ButtonRun"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), outType->Item(1));
    }

    void normalizeMethodSwitchesTheVarianceOptions_data() {
        QTest::addColumn<int>("method");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("best power") << 0 << false;
        QTest::newRow("log") << 1 << false;
        QTest::newRow("none") << 2 << false;
        QTest::newRow("given power") << 3 << true;
    }

    void normalizeMethodSwitchesTheVarianceOptions() {
        QFETCH(int, method);
        QFETCH(bool, enabled);
        TWindow w;
        // Start from the given power with texts and an option chosen, so that
        // switching away shows that nothing of them is lost.
        w.Group("RadioGroupNormalizeMethod")->SetItemIndex(3);
        w.Group("RadioGroupHendo")->SetItemIndex(2);
        w.Edit("EditBekiti")->setText("0.5");
        w.Edit("EditVW")->setText("1.2");
        w.Edit("EditVWBRatio")->setText("3");

        // The user's click and a change by code both count.
        w.Group("RadioGroupNormalizeMethod")->Item(method)->click();
        for (const char* name : {"RadioGroupHendo", "EditVW", "EditVWBRatio", "EditBekiti"})
            QCOMPARE(Control<QWidget>(w.Form, name)->isEnabled(), enabled);
        w.Group("RadioGroupNormalizeMethod")->SetItemIndex(method == 3 ? 0 : 3);
        for (const char* name : {"RadioGroupHendo", "EditVW", "EditVWBRatio", "EditBekiti"})
            QCOMPARE(Control<QWidget>(w.Form, name)->isEnabled(), !enabled);

        QCOMPARE(w.Group("RadioGroupHendo")->ItemIndex(), 2);
        QCOMPARE(w.Edit("EditBekiti")->text(), QStringLiteral("0.5"));
        QCOMPARE(w.Edit("EditVW")->text(), QStringLiteral("1.2"));
        QCOMPARE(w.Edit("EditVWBRatio")->text(), QStringLiteral("3"));
    }

    void enteringAnEditChoosesItsOption() {
        TWindow w;
        w.Form.show();
        QApplication::setActiveWindow(&w.Form);
        QVERIFY(QTest::qWaitForWindowActive(&w.Form));
        w.Group("RadioGroupNormalizeMethod")->Item(3)->click();
        TRadioGroup* hendo = w.Group("RadioGroupHendo");

        // The edit entered last decides, not the one that holds text.
        w.Edit("EditVW")->setText("0.8");
        QTest::mouseClick(w.Edit("EditVW"), Qt::LeftButton);
        QCOMPARE(hendo->ItemIndex(), 1);
        QTest::mouseClick(w.Edit("EditVWBRatio"), Qt::LeftButton);
        QCOMPARE(hendo->ItemIndex(), 2);
        QTest::keyClick(w.Edit("EditVWBRatio"), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), w.Edit("EditVW"));
        QCOMPARE(hendo->ItemIndex(), 1);

        // Activating the window again is no entry.
        hendo->SetItemIndex(0);
        QApplication::setActiveWindow(nullptr);
        QApplication::setActiveWindow(&w.Form);
        QCOMPARE(hendo->ItemIndex(), 0);

        // A click on the power edit selects the given power.
        w.Group("RadioGroupNormalizeMethod")->SetItemIndex(3);
        QTest::mouseClick(w.Edit("EditBekiti"), Qt::LeftButton);
        QCOMPARE(w.Group("RadioGroupNormalizeMethod")->ItemIndex(), 3);
        QVERIFY(w.Edit("EditBekiti")->isEnabled());
    }

    void loadingShowsTheFileAndOffersItsColumns() {
        TWindow w;
        w.Load(SurveyPath);
        QVERIFY(w.Dialogs.Errors.isEmpty());
        QCOMPARE(w.Dialogs.OpenShown.size(), 1);
        QCOMPARE(w.Dialogs.OpenShown[0].Filter,
                 QStringLiteral("栄養調査データ (*.csv)|*.csv|Excel ブック (*.xlsx)|*.xlsx"));
        QVERIFY(w.Dialogs.OpenShown[0].FileName.isEmpty());
        QCOMPARE(w.FileName(), SurveyPath);

        const QStringList labels = {"1.地区",     "2.番号",       "3.性別",
                                    "4.年齢階級", "5.エネルギー", "6.カルシウム"};
        QCOMPARE(w.Grid().GridRowCount(), 25);
        QCOMPARE(w.Grid().GridColCount(), 7);
        for (int c = 0; c < 6; ++c) QCOMPARE(w.Grid().Cell(c + 1, 0), labels[c]);
        QVERIFY(w.Grid().Cell(0, 0).isEmpty());
        QCOMPARE(w.Grid().Cell(0, 1), QStringLiteral("1"));
        QCOMPARE(w.Grid().Cell(0, 24), QStringLiteral("24"));
        QCOMPARE(w.Grid().Cell(2, 1), QStringLiteral("1"));
        QCOMPARE(w.Grid().Cell(4, 1), QStringLiteral("女性"));
        QCOMPARE(w.Grid().Cell(2, 24), QStringLiteral("12"));
        // The grid's view shows the same through its headers.
        QCOMPARE(w.Grid().headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), labels[3]);
        QCOMPARE(w.Grid().headerData(23, Qt::Vertical, Qt::DisplayRole).toString(),
                 QStringLiteral("24"));

        for (const char* name : IdLists) {
            QCOMPARE(Items(w.List(name)), QStringList("(なし)") + labels);
            QCOMPARE(w.List(name)->currentIndex(), 0);
        }
        for (const char* name : ClassLists) {
            QCOMPARE(Items(w.List(name)), QStringList("(なし)") + labels);
            QCOMPARE(w.List(name)->currentIndex(), 0);
        }
        QCOMPARE(Items(w.List("ComboBoxEiyoso")), labels);
        QCOMPARE(w.List("ComboBoxEiyoso")->currentIndex(), -1);

        // The progress window went through every row and is gone again.
        QCOMPARE(w.Form.FormProgress()->windowTitle(), QStringLiteral("ファイルを読み込み中"));
        QCOMPARE(w.Form.FormProgress()->ProgressBar()->maximum(), 25);
        QCOMPARE(w.Form.FormProgress()->ProgressBar()->value(), 25);
        QVERIFY(!w.Form.FormProgress()->isVisible());

        // The next load proposes the file loaded last; loading again sets
        // every choice back.
        w.ChooseColumns();
        w.Load(SurveyPath);
        QCOMPARE(w.Dialogs.OpenShown[1].FileName, SurveyPath);
        QCOMPARE(w.List("ComboBoxID1")->currentIndex(), 0);
        QCOMPARE(w.List("ComboBoxEiyoso")->currentIndex(), -1);
    }

    void loadingEdgeCases_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("gridRows");
        QTest::addColumn<int>("gridCols");
        QTest::addColumn<QStringList>("analysisItems");
        QTest::addColumn<QStringList>("cells"); // "col,row=text"

        QTest::newRow("header only") << Sjis("a, b ,c\n") << 1 << 4
                                     << QStringList{"1.a", "2.b", "3.c"} << QStringList{"2,0=2.b"};
        QTest::newRow("empty file") << QByteArray() << 1 << 1 << QStringList() << QStringList();
        QTest::newRow("only blank lines")
            << QByteArray("\r\n  \n,,\n\"\"\n") << 1 << 1 << QStringList() << QStringList();
        QTest::newRow("header narrower than the rows")
            << QByteArray("x,y\n1,2,3\n4\n") << 3 << 4 << QStringList{"1.x", "2.y"}
            << QStringList{"3,0=", "3,1=3", "2,2=", "0,2=2"};
        QTest::newRow("empty header field")
            << QByteArray("a,,c\n1,2,3\n") << 2 << 4 << QStringList{"1.a", "2.", "3.c"}
            << QStringList{"2,1=2"};
        QTest::newRow("blank lines are not numbered")
            << QByteArray("id,v\n\n1,10\n   \n2,20\n") << 3 << 3 << QStringList{"1.id", "2.v"}
            << QStringList{"0,2=2", "2,2=20"};
        // Invalid Shift-JIS shows as U+FFFD; a line of lead bytes alone has
        // no content; 0x1A ends the data.
        QTest::newRow("binary bytes")
            << QByteArray("h\x01\xff,k\n\x81\n1,\x82\xa0\n\x1a"
                          "2,3\n")
            << 2 << 3 << QStringList{QString("1.h\x01") + QChar(0xFFFD), "2.k"}
            << QStringList{"2,1=あ"};
        QByteArray wide;
        for (int c = 0; c < 300; ++c) wide += (c ? "," : "") + QByteArray::number(c);
        QTest::newRow("more than 256 columns")
            << wide + "\n" + wide + "\n"
            << 2 << 257 << QStringList() << QStringList{"256,0=256.255", "256,1=255"};
    }

    void loadingEdgeCases() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, gridRows);
        QFETCH(int, gridCols);
        QFETCH(QStringList, analysisItems);
        QFETCH(QStringList, cells);
        TWindow w;
        w.Load(WriteSurvey("edge.csv", bytes));
        QVERIFY(w.Dialogs.Errors.isEmpty());
        QCOMPARE(w.Grid().GridRowCount(), gridRows);
        QCOMPARE(w.Grid().GridColCount(), gridCols);
        if (gridCols == 257) {
            QCOMPARE(w.List("ComboBoxEiyoso")->count(), 256);
            QCOMPARE(w.List("ComboBoxID1")->count(), 257);
        } else {
            QCOMPARE(Items(w.List("ComboBoxEiyoso")), analysisItems);
            QCOMPARE(Items(w.List("ComboBoxID1")), QStringList("(なし)") + analysisItems);
        }
        QCOMPARE(w.List("ComboBoxID1")->currentIndex(), 0);
        for (const QString& cell : cells) {
            const QStringList place = cell.section('=', 0, 0).split(',');
            QCOMPARE(w.Grid().Cell(place[0].toInt(), place[1].toInt()), cell.section('=', 1));
        }
        // With no analysis column to choose, no run can start.
        if (analysisItems.isEmpty() && gridCols == 1) {
            w.Form.ButtonRunClick();
            QCOMPARE(w.Pages()->currentIndex(), 0);
        }
    }

    void failedOpenKeepsWhatWasLoaded() {
        TWindow w;
        w.Load(SurveyPath);
        w.ChooseColumns();
        const QString missing = Dir.filePath("nothing-here.csv");
        for (const QString& path : {missing, Dir.path()}) {
            w.Load(path);
            QCOMPARE(w.Dialogs.Errors.last(), QStringLiteral("栄養調査データ[") + path +
                                                  QStringLiteral("]が見つかりません."));
            QCOMPARE(w.FileName(), SurveyPath);
            QCOMPARE(w.Grid().GridRowCount(), 25);
            QCOMPARE(w.List("ComboBoxID1")->currentIndex(), 2);
            QCOMPARE(w.List("ComboBoxBunrui1")->currentIndex(), 3);
            QCOMPARE(w.List("ComboBoxEiyoso")->currentIndex(), 4);
        }
        QCOMPARE(w.Dialogs.Errors.size(), 2);
    }

    void cancelledDialogResetsPersonAndClassLists() {
        TWindow w;
        w.Form.Button1Click(); // cancelled before any file: lists stay empty
        QCOMPARE(w.List("ComboBoxID1")->currentIndex(), -1);
        w.Load(SurveyPath);
        w.ChooseColumns();
        w.List("ComboBoxID4")->setCurrentIndex(1);
        w.Form.Button1Click();
        for (const char* name : IdLists) QCOMPARE(w.List(name)->currentIndex(), 0);
        for (const char* name : ClassLists) QCOMPARE(w.List(name)->currentIndex(), 0);
        QCOMPARE(w.List("ComboBoxEiyoso")->currentIndex(), 4);
        QCOMPARE(w.FileName(), SurveyPath);
        QCOMPARE(w.Grid().GridRowCount(), 25);
    }

    void runNeedsAnalysisAndFirstPersonColumn_data() {
        QTest::addColumn<bool>("load");
        QTest::addColumn<int>("analysis");
        QTest::addColumn<int>("person");
        QTest::newRow("nothing loaded") << false << -1 << -1;
        QTest::newRow("no analysis column") << true << -1 << 2;
        QTest::newRow("first column as analysis column") << true << 0 << 2;
        QTest::newRow("first person column none") << true << 4 << 0;
    }

    void runNeedsAnalysisAndFirstPersonColumn() {
        QFETCH(bool, load);
        QFETCH(int, analysis);
        QFETCH(int, person);
        TWindow w;
        if (load) w.Load(SurveyPath);
        w.List("ComboBoxEiyoso")->setCurrentIndex(analysis);
        w.List("ComboBoxID1")->setCurrentIndex(person);
        QTest::mouseClick(Control<QPushButton>(w.Form, "ButtonRun"), Qt::LeftButton);
        QCOMPARE(w.Pages()->currentIndex(), 0);
        QCOMPARE(w.Form.ResultLines().Count(), 0);
        QVERIFY(w.Dialogs.Errors.isEmpty());
    }

    void settingsTakeTheChosenColumnsAndOptions() {
        TWindow w;
        w.Load(SurveyPath);
        w.List("ComboBoxID1")->setCurrentIndex(2);
        w.List("ComboBoxID3")->setCurrentIndex(1);
        w.List("ComboBoxBunrui2")->setCurrentIndex(4);
        w.List("ComboBoxEiyoso")->setCurrentIndex(5);
        w.Group("RadioGroupNormalizeMethod")->SetItemIndex(3);
        w.Group("RadioGroupHendo")->SetItemIndex(2);
        w.Edit("EditBekiti")->setText(" 0.25");
        w.Edit("EditVW")->setText("√2");
        w.Edit("EditVWBRatio")->setText("1.5");
        w.Edit("EditCutOff1")->setText("1800 2000-");
        w.Group("RadioGroupOutType")->SetItemIndex(2);
        // Disabled controls still hand over what they hold.
        w.Group("RadioGroupNormalizeMethod")->SetItemIndex(1);

        const habitual::TAnalysisSettings s = w.Form.CollectSettings();
        QCOMPARE(QString::fromStdString(s.FileName), SurveyPath);
        QCOMPARE(QList<int>(s.IdColumns, s.IdColumns + 4), QList<int>({1, -1, 0, -1}));
        QCOMPARE(QList<int>(s.ClassColumns, s.ClassColumns + 3), QList<int>({-1, 3, -1}));
        QCOMPARE(s.NutrientColumn, 5);
        QCOMPARE(s.NormalizeMethod, 1);
        QCOMPARE(s.HendoMode, 2);
        QCOMPARE(s.PowerText, std::string(" 0.25"));
        QCOMPARE(s.VWText, habitual::Utf8ToCp932("√2"));
        QCOMPARE(s.VWBRatioText, std::string("1.5"));
        QCOMPARE(s.CutOffText, std::string("1800 2000-"));
        QCOMPARE(s.OutType, 2);
    }

    void runAppendsTheReport_data() {
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("outType");
        for (int method = 0; method < 4; ++method)
            for (int outType = 0; outType < 3; ++outType)
                QTest::addRow("method %d, output %d", method, outType) << method << outType;
    }

    void runAppendsTheReport() {
        QFETCH(int, method);
        QFETCH(int, outType);
        TWindow w;
        w.Load(SurveyPath);
        w.ChooseColumns();
        w.Group("RadioGroupNormalizeMethod")->SetItemIndex(method);
        w.Edit("EditBekiti")->setText("0.5");
        w.Edit("EditCutOff1")->setText("1800 2200-");
        w.Group("RadioGroupOutType")->SetItemIndex(outType);
        QTest::mouseClick(Control<QPushButton>(w.Form, "ButtonRun"), Qt::LeftButton);
        QVERIFY(w.Dialogs.Errors.isEmpty());
        QCOMPARE(w.Pages()->currentWidget()->objectName(), QStringLiteral("TabSheet3"));
        const QStringList first = MemoryReport(w.Form.CollectSettings());
        QVERIFY(first.size() > 2);
        QCOMPARE(w.Document(), first);

        // A second run appends; a new output form changes only what follows.
        w.Group("RadioGroupOutType")->SetItemIndex((outType + 1) % 3);
        w.Form.ButtonRunClick();
        QCOMPARE(w.Document(), first + MemoryReport(w.Form.CollectSettings()));
    }

    void workShowsTheWaitCursorAndTheNewLines() {
        TWindow w;
        // The progress window keeps itself painted while a file loads, which
        // lets a timer look at the pointer in the middle of the load.
        Qt::CursorShape during = Qt::ArrowCursor;
        QTimer::singleShot(0, &w.Form, [&during] {
            if (QApplication::overrideCursor()) during = QApplication::overrideCursor()->shape();
        });
        w.Load(SurveyPath);
        QCOMPARE(during, Qt::WaitCursor);
        QVERIFY(!QApplication::overrideCursor());

        // A comma-separated run longer than the view: its last lines are in view.
        w.ChooseColumns();
        w.Group("RadioGroupOutType")->SetItemIndex(habitual::OutForm::CsvData);
        for (int i = 0; i < 6; ++i) w.Form.ButtonRunClick();
        w.Form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.Form));
        auto* view = Control<QPlainTextEdit>(w.Form, "RichEditKekka");
        QVERIFY(view->verticalScrollBar()->maximum() > 0);
        QCOMPARE(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
        QVERIFY(!QApplication::overrideCursor());

        // A failed run's error box comes with the ordinary pointer.
        const QString gone = WriteSurvey("soon-gone.csv", SmallSurvey());
        w.Load(gone);
        w.ChooseColumns();
        QVERIFY(QFile::remove(gone));
        w.Form.ButtonRunClick();
        QCOMPARE(w.Dialogs.ErrorCursors, QList<Qt::CursorShape>{Qt::ArrowCursor});
    }

    void longPathsAndLabelsShowAnEllipsisAndTheirWholeText() {
        TWindow w;
        QByteArray survey = Sjis("id,とても長い見出しの列名がここに入ります,値\n1,2,3\n");
        const QString folder = Dir.filePath(QString(60, QLatin1Char('f')));
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/長い名前の調査データ.csv");
        QVERIFY(WriteBytes(path, survey));
        w.Load(path);
        auto* panel = Control<TPathLabel>(w.Form, "PanelDietFileName");
        QCOMPARE(panel->text(), path);
        QCOMPARE(panel->toolTip(), path);
        const QString shown = panel->ShownText(300);
        QVERIFY2(shown.contains(QChar(0x2026)) && shown.endsWith(QStringLiteral("調査データ.csv")),
                 qPrintable(shown));
        QCOMPARE(w.Form.CollectSettings().FileName, QFile::encodeName(path).toStdString());

        auto* grid = Control<QTableView>(w.Form, "StringGridDietFile");
        QCOMPARE(grid->model()->headerData(1, Qt::Horizontal, Qt::ToolTipRole).toString(),
                 QStringLiteral("2.とても長い見出しの列名がここに入ります"));
        QCOMPARE(grid->model()->data(grid->model()->index(0, 1), Qt::ToolTipRole).toString(),
                 QString::fromUtf8(SurveyGridToolTip));
    }

    void errorsOfEveryPartReachTheWindowsErrorBox() {
        TWindow w;
        // An error thrown where no command catches it, here in the About box.
        TBrowserLauncher launcher;
        launcher.Command = []() -> QString { throw std::runtime_error("レジストリが読めない"); };
        w.Form.AboutBox()->SetLauncher(launcher);
        auto* address = Control<QLabel>(*w.Form.AboutBox(), "Label4");
        w.Form.AboutBox()->show();
        QTest::mouseDClick(address, Qt::LeftButton);
        QCOMPARE(w.Dialogs.Errors, QStringList("レジストリが読めない"));
    }

    void rejectedRunShowsWhyAndKeepsTheDocument() {
        TWindow w;
        const QString path = WriteSurvey("gone.csv", SmallSurvey());
        w.Load(path);
        w.ChooseColumns();
        w.Form.ButtonRunClick();
        const QStringList before = w.Document();
        QVERIFY(!before.isEmpty());

        QVERIFY(QFile::remove(path));
        w.Form.ButtonRunClick();
        habitual::TRunStatus status;
        status.Error = habitual::TRunError::CannotOpen;
        QCOMPARE(w.Dialogs.Errors, QStringList(QString::fromStdString(
                                       habitual::RunErrorMessage(status, path.toStdString()))));
        QCOMPARE(w.Document(), before);

        // A key over its limit is refused with its row.
        QByteArray longKey = Sjis("id,v\n");
        longKey += QByteArray(300, 'k') + ",1\n" + QByteArray(300, 'k') + ",2\n";
        w.Load(WriteSurvey("longkey.csv", longKey));
        w.List("ComboBoxID1")->setCurrentIndex(1);
        w.List("ComboBoxEiyoso")->setCurrentIndex(1);
        w.Form.ButtonRunClick();
        QCOMPARE(w.Dialogs.Errors.size(), 2);
        QVERIFY2(w.Dialogs.Errors[1].contains(QStringLiteral("1 行目")),
                 qPrintable(w.Dialogs.Errors[1]));
        QCOMPARE(w.Document(), before);
    }
};

QTEST_MAIN(TMainWindowTest)
#include "MainWindowTest.moc"
