// The results document commands: clear, open, save, print, printer setup,
// exit and the About command.
#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QtTest>

#include <sys/stat.h>
#include <thread>

#include "engine/Encoding.h"
#include "tests/ui/FakeDialogs.h"
#include "tests/ui/Fixtures.h"
#include "ui/About.h"
#include "ui/Main.h"
#include "ui/Printing.h"
#include "ui/RadioGroup.h"
#include "ui/ResultsView.h"

namespace {

struct TWindow {
    TFakeDialogs Dialogs;
    TMainForm Form{&Dialogs};

    TResultsView& Document() { return Form.ResultLines(); }
    QPlainTextEdit* View() { return Control<QPlainTextEdit>(Form, "RichEditKekka"); }
    void SetLines(std::initializer_list<const char*> lines) {
        Document().Clear();
        for (const char* line : lines) Document().Add(habitual::Utf8ToCp932(line));
        Document().Flush();
    }
    void Trigger(const char* item) { Control<QAction>(Form, item)->trigger(); }
    void SaveAs(const QString& path) {
        Dialogs.SaveAnswers << path;
        Trigger("FileSaveAsItem");
    }
    void Open(const QString& path) {
        Dialogs.OpenAnswers << path;
        Trigger("FileOpenItem");
    }
};

} // namespace

class TDocumentTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir Dir;

    QString Path(const char* name) const { return Dir.filePath(QString::fromUtf8(name)); }

private slots:
    void initTestCase() { QVERIFY(Dir.isValid()); }

    void clearAsksFirstAndForgetsTheFileNames() {
        TWindow w;
        w.SetLines({"一行目", "二行目"});
        w.Form.OpenDialog().FileName = Path("a.txt");
        w.Form.SaveDialog().FileName = Path("b.txt");

        w.Dialogs.ConfirmAnswers << false;
        w.Trigger("FileNewItem");
        QCOMPARE(w.Dialogs.Confirms, QStringList("計算結果をクリアします"));
        QCOMPARE(w.Document().Count(), 2);

        w.Dialogs.ConfirmAnswers << true;
        w.Trigger("FileNewItem");
        QCOMPARE(w.Document().Count(), 0);
        QVERIFY(w.View()->toPlainText().isEmpty());
        QVERIFY(w.Form.OpenDialog().FileName.isEmpty());
        QVERIFY(w.Form.SaveDialog().FileName.isEmpty());
    }

    void savedDocumentOpensAsTheSameLines() {
        TWindow w;
        w.SetLines({"分析変数：[エネルギー]", "", "100%の値 %d %s", "  ｱｲｳ,ABC  ", ""});
        const QStringList lines = w.Document().Lines();
        w.SaveAs(Path("round.txt"));
        QVERIFY(w.Dialogs.Errors.isEmpty());
        QVERIFY(w.Dialogs.Informations.isEmpty());
        // CR LF after every line, "%" written as it stands.
        QCOMPARE(ReadBytes(Path("round.txt")),
                 Sjis("分析変数：[エネルギー]\r\n\r\n100%の値 %d %s\r\n  ｱｲｳ,ABC  \r\n\r\n"));

        TWindow other;
        other.SetLines({"これは消える"});
        other.Open(Path("round.txt"));
        QCOMPARE(other.Document().Lines(), lines);
        QCOMPARE(other.Form.SaveDialog().FileName, Path("round.txt"));
        // The open dialog keeps what was chosen in it, and proposes it next.
        QCOMPARE(other.Form.OpenDialog().FileName, Path("round.txt"));
        QCOMPARE(Control<QTabWidget>(other.Form, "PageControl1")->currentWidget()->objectName(),
                 QStringLiteral("TabSheet3"));
        QVERIFY(!QApplication::overrideCursor());
    }

    void userEditsAreWhatIsSaved() {
        TWindow w;
        w.SetLines({"abc"});
        w.View()->moveCursor(QTextCursor::End);
        w.View()->insertPlainText(QStringLiteral("\n手で足した行"));
        QCOMPARE(w.Document().Count(), 2);
        QCOMPARE(w.Document().Line(1), habitual::Utf8ToCp932("手で足した行"));
        w.SaveAs(Path("edited.txt"));
        QCOMPARE(ReadBytes(Path("edited.txt")), Sjis("abc\r\n手で足した行\r\n"));
    }

    void emptyDocumentAndEmptyFile() {
        TWindow w;
        w.SaveAs(Path("empty.txt"));
        QVERIFY(QFileInfo::exists(Path("empty.txt")));
        QCOMPARE(QFileInfo(Path("empty.txt")).size(), 0);
        w.SetLines({"x"});
        w.Open(Path("empty.txt"));
        QCOMPARE(w.Document().Count(), 0);
    }

    void openingSplitsLinesAsTextMode_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("LF ends") << QByteArray("a\nb\n") << QStringList{"a", "b"};
        QTest::newRow("CR LF ends") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("last line without end") << QByteArray("a\nlast") << QStringList{"a", "last"};
        QTest::newRow("CR dropped, 0x1A ends") << QByteArray("a\rb\nc\x1a"
                                                             "d\n")
                                               << QStringList{"ab", "c"};
        QTest::newRow("long line in pieces") << QByteArray(1000, 'x') + "\n"
                                             << QStringList{QString(511, 'x'), QString(489, 'x')};
        // A piece never ends between the two bytes of a character: after 256
        // 'a' the 128th double-byte character would straddle byte 511.
        QByteArray wide = QByteArray(256, 'a');
        QString wideText = QString(256, 'a');
        for (int i = 0; i < 200; ++i) {
            wide += Sjis("あ");
            wideText += QStringLiteral("あ");
        }
        QTest::newRow("pieces keep characters whole")
            << wide + "\n"
            << QStringList{wideText.left(256 + 127), wideText.mid(256 + 127)};
    }

    void openingSplitsLinesAsTextMode() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QVERIFY(WriteBytes(Path("open.txt"), bytes));
        TWindow w;
        w.Open(Path("open.txt"));
        QVERIFY(w.Dialogs.Errors.isEmpty());
        QCOMPARE(w.Document().Lines(), lines);
        QVERIFY(w.View()->updatesEnabled());
    }

    void openFailureKeepsTheDocument() {
        TWindow w;
        w.SetLines({"残る"});
        w.Open(Path("no-such-file.txt"));
        w.Open(Dir.path());
        QCOMPARE(w.Dialogs.Errors, QStringList(2, QStringLiteral("ファイルを開けませんでした。")));
        QCOMPARE(w.Document().Lines(), QStringList("残る"));
        QVERIFY(w.Form.SaveDialog().FileName.isEmpty());
        // A cancelled dialog changes nothing either.
        w.Trigger("FileOpenItem");
        QCOMPARE(w.Document().Lines(), QStringList("残る"));
    }

    void fileTypeFollowsTheOutputType_data() {
        QTest::addColumn<int>("outType");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("extension");
        QTest::newRow("standard") << 0 << "計算結果 (*.txt)|*.txt"
                                  << "txt";
        QTest::newRow("summary") << 1 << "計算結果 (*.csv)|*.csv"
                                 << "csv";
        QTest::newRow("data") << 2 << "計算結果 (*.csv)|*.csv"
                              << "csv";
    }

    void fileTypeFollowsTheOutputType() {
        QFETCH(int, outType);
        QFETCH(QString, filter);
        QFETCH(QString, extension);
        TWindow w;
        Control<TRadioGroup>(w.Form, "RadioGroupOutType")->SetItemIndex(outType);
        w.Trigger("FileOpenItem");
        w.Trigger("FileSaveAsItem");
        QCOMPARE(w.Dialogs.OpenShown.last().Filter, filter);
        QCOMPARE(w.Dialogs.SaveShown.last().Filter, filter);
        QCOMPARE(w.Dialogs.SaveShown.last().DefaultExt, extension);
    }

    void overwritingAsksFirst() {
        TWindow w;
        QVERIFY(WriteBytes(Path("exists.txt"), "old\r\n"));
        w.SetLines({"new"});
        w.Dialogs.ConfirmAnswers << false;
        w.SaveAs(Path("exists.txt"));
        QCOMPARE(w.Dialogs.Confirms,
                 QStringList(QStringLiteral("ファイル ") + Path("exists.txt") +
                             QStringLiteral(" が既に存在します。\n\n重ね書きしますか？")));
        QCOMPARE(ReadBytes(Path("exists.txt")), QByteArray("old\r\n"));
        QCOMPARE(w.Dialogs.SaveShown.size(), 1);

        // The dialog proposes the name chosen last.
        w.Dialogs.ConfirmAnswers << true;
        w.SaveAs(Path("exists.txt"));
        QCOMPARE(w.Dialogs.SaveShown.last().FileName, Path("exists.txt"));
        QCOMPARE(ReadBytes(Path("exists.txt")), QByteArray("new\r\n"));
    }

    void failedSaveKeepsTheOldFile() {
        TWindow w;
        w.SetLines({"new"});
        // The folder does not exist: nothing can be written.
        w.SaveAs(Path("missing-folder/out.txt"));
        QCOMPARE(w.Dialogs.Errors, QStringList("ファイルを保存できませんでした。"));
        QCOMPARE(w.Dialogs.ErrorCursors, QList<Qt::CursorShape>{Qt::ArrowCursor});
        QVERIFY(!QApplication::overrideCursor());

        // A folder that takes no new files: a file in it that may be written
        // is saved in place.
        const QString locked = Path("locked");
        QVERIFY(QDir().mkpath(locked));
        const QString target = locked + QStringLiteral("/kept.txt");
        QVERIFY(WriteBytes(target, "old\r\n"));
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        w.Dialogs.ConfirmAnswers << true;
        w.SaveAs(target);
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        QCOMPARE(ReadBytes(target), QByteArray("new\r\n"));
        QCOMPARE(QDir(locked).entryList(QDir::Files | QDir::Hidden), QStringList("kept.txt"));
        QCOMPARE(w.Dialogs.Errors.size(), 1);
    }

    void savingOntoSpecialFiles() {
        TWindow w;
        w.SetLines({"新しい結果"});
        // A device is written to and stays a device.
        w.Dialogs.ConfirmAnswers << true;
        w.SaveAs(QStringLiteral("/dev/null"));
        QVERIFY(w.Dialogs.Errors.isEmpty());
        QVERIFY(!QFileInfo(QStringLiteral("/dev/null")).isFile());

        // A named pipe receives the bytes and stays a pipe.
        const QString fifo = Path("pipe");
        QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QByteArray received;
        std::thread reader([&] {
            QFile pipe(fifo);
            if (pipe.open(QIODevice::ReadOnly)) received = pipe.readAll();
        });
        w.Dialogs.ConfirmAnswers << true;
        w.SaveAs(fifo);
        reader.join();
        QVERIFY(w.Dialogs.Errors.isEmpty());
        QCOMPARE(received, Sjis("新しい結果\r\n"));
        QVERIFY(!QFileInfo(fifo).isFile());

        // Through a symbolic link the file it names is updated.
        const QString file = Path("linked.txt");
        QVERIFY(WriteBytes(file, "old\r\n"));
        QVERIFY(QFile::link(file, Path("link.txt")));
        w.Dialogs.ConfirmAnswers << true;
        w.SaveAs(Path("link.txt"));
        QVERIFY(QFileInfo(Path("link.txt")).isSymLink());
        QCOMPARE(ReadBytes(file), Sjis("新しい結果\r\n"));
    }

    void charactersWithoutShiftJisAreCountedWhenSaved() {
        TWindow w;
        w.SetLines({"ok"});
        w.View()->moveCursor(QTextCursor::End);
        w.View()->insertPlainText(QStringLiteral("\n😀 and ü, 한"));
        w.SaveAs(Path("replaced.txt"));
        QVERIFY(w.Dialogs.Errors.isEmpty());
        QCOMPARE(ReadBytes(Path("replaced.txt")), QByteArray("ok\r\n? and ?, ?\r\n"));
        QCOMPARE(w.Dialogs.Informations.size(), 1);
        QVERIFY2(w.Dialogs.Informations[0].contains(QStringLiteral(" 3 ")),
                 qPrintable(w.Dialogs.Informations[0]));
    }

    void printingWritesEveryLineOnPages() {
        TWindow w;
        for (int i = 0; i < 150; ++i)
            w.Document().Add(habitual::Utf8ToCp932("行 " + std::to_string(i) + " " +
                                                   std::string(i == 3 ? 400 : 10, '*')));
        w.Document().Flush();
        const QString pdf = Path("print.pdf");
        w.Dialogs.PrintAnswer = [&pdf](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
        };
        w.Trigger("FilePrintItem");
        QVERIFY(w.Dialogs.Errors.isEmpty());
        const QByteArray bytes = ReadBytes(pdf);
        QVERIFY(bytes.startsWith("%PDF"));
        QVERIFY2(PdfPageCount(bytes) >= 3, QByteArray::number(PdfPageCount(bytes)));
        QVERIFY(w.Form.Printer().docName() == w.Form.windowTitle());
        QCOMPARE(w.Document().Count(), 150);

        // A cancelled print dialog prints nothing.
        QVERIFY(!w.Dialogs.PrintOfferedSelection);
        const int pages = PdfPageCount(bytes);

        // A page range prints those pages of the whole layout only.
        w.Dialogs.PrintAnswer = [&pdf](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(2, 3);
        };
        w.Trigger("FilePrintItem");
        QCOMPARE(PdfPageCount(ReadBytes(pdf)), 2);
        w.Dialogs.PrintAnswer = [&pdf, pages](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(pages, pages + 5);
        };
        w.Trigger("FilePrintItem");
        QCOMPARE(PdfPageCount(ReadBytes(pdf)), 1);

        // With text selected the selection is offered, and printed alone.
        QTextCursor cursor(w.View()->document());
        cursor.movePosition(QTextCursor::Down, QTextCursor::MoveAnchor, 10);
        cursor.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor, 2);
        cursor.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
        w.View()->setTextCursor(cursor);
        w.Dialogs.PrintAnswer = [&pdf](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setPrintRange(QPrinter::Selection);
        };
        w.Trigger("FilePrintItem");
        QVERIFY(w.Dialogs.PrintOfferedSelection);
        QCOMPARE(PdfPageCount(ReadBytes(pdf)), 1);
        QCOMPARE(SelectedLines(*w.View()),
                 QStringList({"行 10 **********", "行 11 **********", "行 12 **********"}));

        QVERIFY(QFile::remove(pdf));
        w.Dialogs.PrintAnswer = nullptr;
        w.Trigger("FilePrintItem");
        QVERIFY(!QFileInfo::exists(pdf));
        w.Trigger("FilePrintSetupItem");
        QCOMPARE(w.Dialogs.PrintSetupShown, 1);
    }

    void exitAsksFirst() {
        TWindow w;
        w.Form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.Form));
        w.Trigger("FileExitItem");
        QCOMPARE(w.Dialogs.Confirms, QStringList("終了します"));
        QVERIFY(w.Form.isVisible());
        w.Dialogs.ConfirmAnswers << true;
        w.Trigger("FileExitItem");
        QVERIFY(!w.Form.isVisible());
    }

    void aboutCommandShowsTheBoxModally() {
        TWindow w;
        w.Trigger("HelpAboutItem");
        QCOMPARE(w.Dialogs.ModalShown, 1);
    }
};

QTEST_MAIN(TDocumentTest)
#include "DocumentTest.moc"
