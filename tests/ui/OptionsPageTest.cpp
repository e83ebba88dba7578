// The page 詳細設定 with its group boxes 信頼区間（ブートストラップ）,
// 注意事項, 複数の分析変数 and カットオフ値の表: runs with intervals and their
// progress window with 中止, the notices of a run in the panel below the
// pages, runs of several columns and of the one-table form, and the table of
// cut-offs by group.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "engine/Encoding.h"
#include "engine/UserMessages.h"
#include "report/Report.h"
#include "tests/ui/FakeDialogs.h"
#include "tests/ui/Fixtures.h"
#include "ui/Main.h"
#include "ui/NoticePanel.h"
#include "ui/Progress.h"
#include "ui/ResultsView.h"

namespace {

struct TWindow {
    TFakeDialogs Dialogs;
    TMainForm Form{&Dialogs};

    QCheckBox* Check(const char* name) { return Control<QCheckBox>(Form, name); }
    QSpinBox* Replicates() { return Control<QSpinBox>(Form, "EditHanpukuKaisu"); }
    QLineEdit* Seed() { return Control<QLineEdit>(Form, "EditRansuShido"); }
    QComboBox* Level() { return Control<QComboBox>(Form, "ComboBoxShinraiSuijun"); }
    QTabWidget* Pages() { return Control<QTabWidget>(Form, "PageControl1"); }
    QStringList Document() { return Form.ResultLines().Lines(); }

    // The small survey, person column 2, classification column 3 and
    // analysis column 5.
    void Load(const QString& path) {
        Dialogs.OpenAnswers << path;
        Form.Button1Click();
        Control<QComboBox>(Form, "ComboBoxID1")->setCurrentIndex(2);
        Control<QComboBox>(Form, "ComboBoxBunrui1")->setCurrentIndex(3);
        Control<QComboBox>(Form, "ComboBoxEiyoso")->setCurrentIndex(4);
    }
    void AskIntervals(int replicates, const QString& seed) {
        Check("CheckBoxShinraiKukan")->setChecked(true);
        Replicates()->setValue(replicates);
        Seed()->setText(seed);
    }
};

} // namespace

class TOptionsPageTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir Dir;
    QString SurveyPath;

private slots:
    void initTestCase() {
        QVERIFY(Dir.isValid());
        SurveyPath = Dir.filePath(QStringLiteral("survey.csv"));
        QVERIFY(WriteBytes(SurveyPath, SmallSurvey()));
    }

    void groupBoxesStartOff() {
        TWindow w;
        QWidget* page = Control<QWidget>(w.Form, "TabSheetOptions");
        QVERIFY(page);
        QVERIFY(page->isAncestorOf(Control<QWidget>(w.Form, "GroupBoxShinraiKukan")));
        QVERIFY(page->isAncestorOf(Control<QWidget>(w.Form, "GroupBoxChuiJiko")));
        QVERIFY(!w.Check("CheckBoxShinraiKukan")->isChecked());
        QVERIFY(!w.Check("CheckBoxChuiJikoKekka")->isChecked());
        QCOMPARE(w.Replicates()->value(), 1000);
        QCOMPARE(w.Replicates()->minimum(), 100);
        QCOMPARE(w.Seed()->text(), QStringLiteral("12345"));
        QCOMPARE(w.Level()->currentText(), QStringLiteral("95%"));
        QCOMPARE(w.Level()->count(), 3);
        // The settings follow the check box.
        for (bool on : {false, true, false}) {
            w.Check("CheckBoxShinraiKukan")->setChecked(on);
            QCOMPARE(w.Replicates()->isEnabled(), on);
            QCOMPARE(w.Seed()->isEnabled(), on);
            QCOMPARE(w.Level()->isEnabled(), on);
        }
        habitual::TRunOptions options;
        QString problem;
        QVERIFY(w.Form.CollectRunOptions(options, problem));
        QVERIFY(!options.Bootstrap.On());
        QVERIFY(!options.NoticesInDocument);
    }

    void runWithIntervalsAppendsTheBlockAndShowsTheNotices() {
        TWindow w;
        w.Load(SurveyPath);
        w.AskIntervals(200, QStringLiteral("99"));
        w.Level()->setCurrentIndex(2);
        w.Form.ButtonRunClick();
        QVERIFY2(w.Dialogs.Errors.isEmpty(), qPrintable(w.Dialogs.Errors.join('\n')));
        QCOMPARE(w.Pages()->currentWidget()->objectName(), QStringLiteral("TabSheet3"));
        QVERIFY(!w.Form.FormProgress()->isVisible());

        habitual::TRunOptions options;
        options.Bootstrap.Replicates = 200;
        options.Bootstrap.Seed = 99;
        options.Bootstrap.Level = 99;
        const QStringList expected = MemoryReport(w.Form.CollectSettings(), options);
        QCOMPARE(w.Document(), expected);
        QVERIFY(expected.contains(QStringLiteral("信頼区間（ブートストラップ・パーセンタイル法）　"
                                                 "反復 200回　乱数シード 99　信頼水準 99%")));

        // Six persons per group: the panel names each group.
        const QStringList notices = w.Form.Notices().Texts();
        QVERIFY(!notices.isEmpty());
        QVERIFY(notices[0].startsWith(QStringLiteral("[性別=1] 人数が6人で、50人未満です。")));
        QVERIFY(w.Form.Notices().isVisible() || w.Form.Notices().isVisibleTo(&w.Form));
        QVERIFY(!w.Document().join('\n').contains(QStringLiteral("※注意：")));

        // Asked for, the notices go into the document as well.
        w.Check("CheckBoxChuiJikoKekka")->setChecked(true);
        w.Form.ButtonRunClick();
        const QString text = notices[0].mid(notices[0].indexOf(QLatin1Char(' ')) + 1);
        QVERIFY(w.Document().mid(expected.size()).contains(QStringLiteral("※注意：") + text));
        QCOMPARE(w.Form.Notices().Texts(), notices);
    }

    void cancelStopsTheRunWithoutAddingAnything() {
        TWindow w;
        w.Load(SurveyPath);
        w.Form.ButtonRunClick(); // a plain run first
        const QStringList before = w.Document();
        QVERIFY(!before.isEmpty());

        w.AskIntervals(100000, QStringLiteral("1"));
        bool seenModal = false;
        // Pressed as soon as the progress window handles events.
        QTimer::singleShot(0, &w.Form, [&w, &seenModal] {
            TFormProgress* progress = w.Form.FormProgress();
            auto* cancel = Control<QPushButton>(*progress, "ButtonCancel");
            seenModal = progress->isVisible() && progress->isModal() && cancel->isVisible() &&
                        progress->windowTitle() == QStringLiteral("信頼区間を計算中");
            cancel->click();
        });
        w.Form.ButtonRunClick();
        QVERIFY(seenModal);
        QCOMPARE(w.Document(), before);
        habitual::TRunStatus cancelled;
        cancelled.Error = habitual::TRunError::Cancelled;
        QCOMPARE(w.Dialogs.Informations,
                 QStringList(QString::fromStdString(habitual::RunErrorMessage(cancelled, ""))));
        QVERIFY(w.Dialogs.Errors.isEmpty());
        QVERIFY(w.Form.Notices().Texts().isEmpty());
        // Loading shows the window as before: no button, not modal.
        TFormProgress* progress = w.Form.FormProgress();
        QVERIFY(!progress->isVisible());
        QVERIFY(!progress->isModal());
        QVERIFY(!Control<QPushButton>(*progress, "ButtonCancel")->isVisibleTo(progress));
    }

    void aSeedOutOfRangeIsRefusedBeforeTheRun() {
        TWindow w;
        w.Load(SurveyPath);
        for (const QString& seed : {QString(), QStringLiteral("18446744073709551616")}) {
            w.AskIntervals(100, seed);
            w.Form.ButtonRunClick();
            QVERIFY(w.Document().isEmpty());
            QCOMPARE(w.Pages()->currentWidget()->objectName(), QStringLiteral("TabSheet2"));
        }
        QCOMPARE(w.Dialogs.Errors.size(), 2);
        QVERIFY(w.Dialogs.Errors[0].contains(QStringLiteral("乱数シード")));
        // The edit takes digits only.
        w.Seed()->clear();
        QTest::keyClicks(w.Seed(), QStringLiteral("12a-3"));
        QCOMPARE(w.Seed()->text(), QStringLiteral("123"));
    }

    void severalColumnsRunEachCheckedColumnInTurn() {
        TWindow w;
        w.Load(SurveyPath);
        auto* list = Control<QListWidget>(w.Form, "ListBoxBunsekiHensu");
        // Every column but the first, which the analysis list cannot run either.
        QCOMPARE(list->count(), 5);
        QCOMPARE(list->item(0)->text(), QStringLiteral("2.番号"));
        list->item(4)->setCheckState(Qt::Checked); // カルシウム
        list->item(3)->setCheckState(Qt::Checked); // エネルギー
        // The checked columns run, whatever the analysis list shows.
        Control<QComboBox>(w.Form, "ComboBoxEiyoso")->setCurrentIndex(-1);
        w.Form.ButtonRunClick();
        QVERIFY2(w.Dialogs.Errors.isEmpty(), qPrintable(w.Dialogs.Errors.join('\n')));
        habitual::TAnalysisSettings s = w.Form.CollectSettings();
        QStringList expected;
        for (int column : {4, 5}) {
            s.NutrientColumn = column;
            expected += MemoryReport(s);
        }
        QCOMPARE(w.Document(), expected);
        auto* groups = Control<QListWidget>(w.Form, "ListBoxBunrui");
        QCOMPARE(groups->count(), 4);
        QCOMPARE(groups->item(0)->text(), QStringLiteral("[エネルギー][性別=1]"));
        QCOMPARE(groups->item(2)->text(), QStringLiteral("[カルシウム][性別=1]"));

        // The one-table form: a header, then a row per column, group and
        // distribution; saved as .csv.
        w.Check("CheckBoxYoyakuHyo")->setChecked(true);
        const int before = static_cast<int>(w.Document().size());
        w.Form.ButtonRunClick();
        const QStringList table = w.Document().mid(before);
        QCOMPARE(table.size(), 1 + 2 * 2 * 2);
        QVERIFY(table[0].startsWith(QStringLiteral("\"分析変数\",\"性別\",\"分布\",")));
        QVERIFY(table[1].startsWith(QStringLiteral("\"エネルギー\",\"1\",\"１日\",6,12,")));
        w.Dialogs.SaveAnswers << Dir.filePath(QStringLiteral("table"));
        w.Form.FileSaveAs();
        QCOMPARE(w.Form.SaveDialog().DefaultExt, QStringLiteral("csv"));

        // Nothing checked: the single-column run of the analysis list.
        Control<QPushButton>(w.Form, "ButtonKaijo")->click();
        w.Check("CheckBoxYoyakuHyo")->setChecked(false);
        Control<QComboBox>(w.Form, "ComboBoxEiyoso")->setCurrentIndex(5);
        const int single = static_cast<int>(w.Document().size());
        w.Form.ButtonRunClick();
        QCOMPARE(w.Document().mid(single), MemoryReport(w.Form.CollectSettings()));
    }

    void aCutOffTableIsChosenShownUsedAndCleared() {
        TWindow w;
        w.Load(SurveyPath);
        Control<QLineEdit>(w.Form, "EditCutOff1")->setText(QStringLiteral("1800"));
        const QString good = Dir.filePath(QStringLiteral("cutoffs.csv"));
        QVERIFY(WriteBytes(good, Sjis("性別,分析変数,カットオフ値\r\n1,エネルギー,2000-\r\n")));
        w.Dialogs.OpenAnswers << good;
        w.Form.ButtonHyoHirakuClick();
        QVERIFY2(w.Dialogs.Errors.isEmpty(), qPrintable(w.Dialogs.Errors.join('\n')));
        auto* rows = Control<QLabel>(w.Form, "LabelHyoGyosu");
        QCOMPARE(rows->text(), QStringLiteral("1 行を読み込みました。分類変数: 性別"));

        // Group 1 takes the table's text, group 2 the window's.
        w.Form.ButtonRunClick();
        const QString document = w.Document().join('\n');
        QCOMPARE(document.count(QStringLiteral("   2000未満%")), 1);
        QCOMPARE(document.count(QStringLiteral("   1800以上%")), 1);

        // A table that cannot be used says why and leaves the one chosen.
        const QString bad = Dir.filePath(QStringLiteral("bad.csv"));
        QVERIFY(WriteBytes(bad, Sjis("性別,分析変数,カットオフ値\r\n1,エネルギー,2000kg\r\n")));
        w.Dialogs.OpenAnswers << bad;
        w.Form.ButtonHyoHirakuClick();
        QCOMPARE(w.Dialogs.Errors.size(), 1);
        QVERIFY(w.Dialogs.Errors[0].contains(
            QStringLiteral("ファイルの 2 行目のカットオフ値「2000kg」")));
        QCOMPARE(rows->text(), QStringLiteral("1 行を読み込みました。分類変数: 性別"));

        // Read again at each run: a table spoilt since stops the run unwritten.
        QVERIFY(WriteBytes(good, Sjis("年代,分析変数,カットオフ値\r\n20,エネルギー,5\r\n")));
        const QStringList before = w.Document();
        w.Form.ButtonRunClick();
        QCOMPARE(w.Dialogs.Errors.size(), 2);
        QVERIFY(w.Dialogs.Errors[1].contains(QStringLiteral("「年代」は")));
        QCOMPARE(w.Document(), before);

        Control<QPushButton>(w.Form, "ButtonHyoClear")->click();
        QCOMPARE(rows->text(), QStringLiteral("表は使いません。"));
        w.Form.ButtonRunClick();
        QCOMPARE(w.Document().mid(before.size()).join('\n').count(QStringLiteral("   1800以上%")),
                 2);
    }
};

QTEST_MAIN(TOptionsPageTest)
#include "OptionsPageTest.moc"
