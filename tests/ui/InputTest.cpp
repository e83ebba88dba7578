// Reading surveys in the window: UTF-8 files, the encoding choice that reads
// the loaded file again, workbooks and their sheet question, and the notices
// after a load and a run.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include "engine/Encoding.h"
#include "tests/support/WorkbookFile.h"
#include "tests/ui/FakeDialogs.h"
#include "tests/ui/Fixtures.h"
#include "ui/Main.h"
#include "ui/NoticePanel.h"
#include "ui/ResultsView.h"
#include "ui/SurveyGrid.h"

namespace {

struct TWindow {
    TFakeDialogs Dialogs;
    TMainForm Form{&Dialogs};
    QComboBox* List(const char* name) { return Control<QComboBox>(Form, name); }
    QString Shown() { return Control<QLabel>(Form, "LabelYomikomiFile")->text(); }
    bool Load(const QString& path) {
        Dialogs.OpenAnswers << path;
        const int errors = Dialogs.Errors.size();
        Form.Button1Click();
        return Dialogs.Errors.size() == errors;
    }
    void Run() {
        List("ComboBoxID1")->setCurrentIndex(1);
        List("ComboBoxBunrui1")->setCurrentIndex(2);
        List("ComboBoxEiyoso")->setCurrentIndex(2);
        Form.ButtonRunClick();
    }
};

const char* const Table = "ID,性別,値\n1,男,10\nあいう\n1,男,NA\n2,男,12\n2,男,14\n";

} // namespace

class TInputTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir Dir;
    QString Write(const char* name, const QByteArray& bytes) {
        const QString path = Dir.filePath(QString::fromUtf8(name));
        if (!WriteBytes(path, bytes)) qWarning("cannot write %s", name);
        return path;
    }

private slots:
    void utf8FileLoadsAndTellsWhatItSkipped() {
        TWindow w;
        QCOMPARE(w.Shown(), QStringLiteral("（なし）"));
        const QString path = Write("utf8.csv", QByteArray(Table));
        QVERIFY(w.Load(path));
        QCOMPARE(Items(w.List("ComboBoxEiyoso")),
                 QStringList({"1.ID", QStringLiteral("2.性別"), QStringLiteral("3.値")}));
        QCOMPARE(w.Form.SurveyGrid().Cell(2, 1), QStringLiteral("男"));
        QCOMPARE(w.Form.SurveyGrid().GridRowCount(), 5);
        QVERIFY(w.Shown().contains(QStringLiteral("UTF-8 の CSV ファイル")));
        QCOMPARE(w.Form.Notices().Texts().size(), 1);
        QVERIFY(w.Form.Notices().Texts()[0].contains(QStringLiteral("ファイルの 3 行目")));

        // After a run: the file's notice again, and the group's field read as 0.
        w.Run();
        const QStringList notices = w.Form.Notices().Texts();
        // Then the group's own: few persons, fewer with repeated days, the
        // zero read in for the empty field.
        QCOMPARE(notices.size(), 5);
        QCOMPARE(notices[1], QStringLiteral("[性別=男] 分析変数が空欄か数値でない 1 行を 0 として"
                                            "計算しました（データ 2 行目）。"));
        QVERIFY(notices[2].startsWith(QStringLiteral("[性別=男] 人数が2人で")));
        QVERIFY(notices[3].startsWith(QStringLiteral("[性別=男] 複数日調査の人数が2人で")));
        QVERIFY(notices[4].startsWith(QStringLiteral("[性別=男] 摂取量が0の日がデータの25.0%")));
        const int zeroedLines = w.Form.ResultLines().Count();
        Control<QCheckBox>(w.Form, "CheckBoxKessokuJogai")->setChecked(true);
        w.Run();
        QVERIFY(w.Form.Notices().Texts()[1].contains(QStringLiteral("計算から除きました")));
        QVERIFY(w.Form.ResultLines().Count() > zeroedLines);
    }

    void encodingChoiceReadsTheFileAgain() {
        TWindow w;
        const QString path = Write("choice.csv", QByteArray(Table));
        QVERIFY(w.Load(path));
        QComboBox* choice = w.List("ComboBoxMojiCode");
        choice->setCurrentIndex(1); // Shift-JIS: the UTF-8 texts are then misread
        QVERIFY(w.Shown().contains(QStringLiteral("Shift-JIS の CSV ファイル")));
        QVERIFY(w.List("ComboBoxEiyoso")->itemText(1) != QStringLiteral("2.性別"));
        choice->setCurrentIndex(2);
        QCOMPARE(w.List("ComboBoxEiyoso")->itemText(1), QStringLiteral("2.性別"));

        // A Shift-JIS file cannot be read as UTF-8: the box says where, and
        // the file stays as it was read, with the choice it was read with.
        const QString sjis = Write("sjis.csv", Sjis("ID,性別,値\n1,男,10\n"));
        choice->setCurrentIndex(0);
        QVERIFY(w.Load(sjis));
        choice->setCurrentIndex(2);
        QCOMPARE(w.Dialogs.Errors.size(), 1);
        QVERIFY(w.Dialogs.Errors[0].contains(
            QStringLiteral("ファイルの 1 行目、2 列目に UTF-8 として正しくない")));
        QCOMPARE(choice->currentIndex(), 0);
        QVERIFY(w.Shown().contains(QStringLiteral("Shift-JIS")));
        QCOMPARE(w.List("ComboBoxEiyoso")->itemText(1), QStringLiteral("2.性別"));
    }

    void refusedFileKeepsTheLoadedSurvey() {
        TWindow w;
        QVERIFY(w.Load(Write("good.csv", QByteArray(Table))));
        QVERIFY(!w.Load(Write("emoji.csv", QByteArray("ID,値\n1,😀\n"))));
        QVERIFY(w.Dialogs.Errors[0].contains(QStringLiteral("2 行目、2 列目にある文字「😀」")));
        QVERIFY(w.Shown().contains(QStringLiteral("good.csv")));
        QCOMPARE(Items(w.List("ComboBoxEiyoso")).size(), 3);
    }

    void workbookAsksForTheSheet() {
        using namespace habitual::test;
        const auto sheet = [](const char* header) {
            return Row(1, {{"A1", "<is><t>ID</t></is>", "inlineStr"},
                           {"B1", std::string("<is><t>") + header + "</t></is>", "inlineStr"},
                           {"C1", "<is><t>値</t></is>", "inlineStr"}}) +
                   Row(2, {{"A2", "<v>1</v>"}, {"B2", "<v>1</v>"}, {"C2", "<v>5</v>"}}) +
                   Row(3, {{"A3", "<v>1</v>"}, {"B3", "<v>1</v>"}, {"C3", "<v>7</v>"}});
        };
        const QString path = Dir.filePath(QStringLiteral("book.xlsx"));
        QVERIFY(WriteZip(path.toStdString(),
                         WorkbookParts({{"表紙", sheet("表紙")}, {"調査", sheet("性別")}})));
        TWindow w;
        w.Dialogs.SheetAnswers << -1;
        QVERIFY(w.Load(path));
        QCOMPARE(w.Dialogs.SheetsShown.size(), 1);
        QCOMPARE(w.Dialogs.SheetsShown[0],
                 QStringList({QStringLiteral("表紙"), QStringLiteral("調査")}));
        QCOMPARE(w.Shown(), QStringLiteral("（なし）")); // cancelled: nothing loaded

        w.Dialogs.SheetAnswers << 1;
        QVERIFY(w.Load(path));
        QVERIFY(w.Shown().contains(QStringLiteral("Excel ブック、シート「調査」")));
        QCOMPARE(w.List("ComboBoxEiyoso")->itemText(1), QStringLiteral("2.性別"));
        QCOMPARE(w.Dialogs.OpenShown[0].Filter,
                 QStringLiteral("栄養調査データ (*.csv)|*.csv|Excel ブック (*.xlsx)|*.xlsx"));
        // The run reads the chosen sheet again.
        w.Run();
        QVERIFY(w.Form.ResultLines().Lines().contains(QStringLiteral("分類変数：[性別=1]")));
    }
};

QTEST_MAIN(TInputTest)
#include "InputTest.moc"
