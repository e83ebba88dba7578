// The results view as the results document, its font, and errors that
// escape a command.
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>
#include <sys/resource.h>

#include "engine/Encoding.h"
#include "tests/ui/FakeDialogs.h"
#include "tests/ui/Fixtures.h"
#include "ui/Application.h"
#include "ui/ErrorReport.h"
#include "ui/Fonts.h"
#include "ui/Main.h"
#include "ui/Progress.h"
#include "ui/ResultsView.h"
#include "ui/SurveyGrid.h"

namespace {

std::string S(const char* utf8) {
    return habitual::Utf8ToCp932(utf8);
}

// A widget whose mouse handler throws what it is given.
class TThrowingWidget : public QWidget {
public:
    std::function<void()> Throw;

protected:
    void mousePressEvent(QMouseEvent*) override { Throw(); }
};

} // namespace

class TResultsViewTest : public QObject {
    Q_OBJECT

private slots:
    void linesAreTheViewsLines() {
        QPlainTextEdit view;
        TResultsView lines(&view);
        QCOMPARE(lines.Count(), 0);
        lines.Add(S("見出し"));
        lines.Add("");
        lines.Add(S("値 1.5"));
        // Appended lines count and read back before they reach the view.
        QCOMPARE(lines.Count(), 3);
        QCOMPARE(lines.Line(2), S("値 1.5"));
        QVERIFY(view.toPlainText().isEmpty());
        lines.Flush();
        QCOMPARE(view.toPlainText(), QStringLiteral("見出し\n\n値 1.5"));
        lines.Add("next");
        lines.Flush();
        QCOMPARE(view.document()->blockCount(), 4);
        QCOMPARE(lines.Line(0), S("見出し"));
        QCOMPARE(lines.Line(3), std::string("next"));
        QCOMPARE(lines.Line(4), std::string());

        // What the user types is what the document holds.
        view.selectAll();
        view.insertPlainText(QStringLiteral("書き換え"));
        QCOMPARE(lines.Count(), 1);
        QCOMPARE(lines.Line(0), S("書き換え"));

        lines.Add("pending");
        lines.Clear();
        QCOMPARE(lines.Count(), 0);
        lines.Flush();
        QVERIFY(view.toPlainText().isEmpty());
    }

    void aSingleEmptyLineIsKept() {
        QPlainTextEdit view;
        TResultsView lines(&view);
        lines.Add("");
        lines.Flush();
        QCOMPARE(lines.Count(), 1);
        lines.Add("after");
        lines.Flush();
        QCOMPARE(lines.Lines(), QStringList({"", "after"}));
    }

    void hiddenViewIsFilledOnceWhenShown() {
        QPlainTextEdit view;
        view.show();
        TResultsView lines(&view);
        lines.HideView();
        QVERIFY(!view.updatesEnabled());
        for (int i = 0; i < 5000; ++i) lines.Add(std::to_string(i));
        QVERIFY(view.toPlainText().isEmpty());
        lines.ShowView();
        QVERIFY(view.updatesEnabled());
        QCOMPARE(view.document()->blockCount(), 5000);
        QCOMPARE(lines.Line(4999), std::string("4999"));
    }

    void scrollToCaretShowsTheEnd() {
        QPlainTextEdit view;
        view.resize(300, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        TResultsView lines(&view);
        for (int i = 0; i < 500; ++i) lines.Add(std::to_string(i));
        lines.ScrollToCaret();
        lines.Flush();
        QCOMPARE(view.textCursor().position(), view.document()->characterCount() - 1);
        QVERIFY(view.verticalScrollBar()->value() > 0);
        QVERIFY(view.viewport()->rect().contains(view.cursorRect()));
    }

    void resultsFontKeepsColumnsAligned() {
        const QFont font = ResultsFont();
        QVERIFY(HasDoubleWidthCells(font));
        // A report line and one with full-width text of the same byte width
        // put the column after them at the same place.
        const QFontMetricsF metrics(font);
        QCOMPARE(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('W'));
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("平均値  |")),
                 metrics.horizontalAdvance(QStringLiteral("mean    |")));
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("ｶﾀｶﾅ|")),
                 metrics.horizontalAdvance(QStringLiteral("abcd|")));
        TMainForm form;
        QCOMPARE(Control<QPlainTextEdit>(form, "RichEditKekka")->font(), font);
        QCOMPARE(Control<QPlainTextEdit>(form, "RichEditKekka")->lineWrapMode(),
                 QPlainTextEdit::NoWrap);
    }

    void errorsEscapingAnEventAreShownAndTheProgramGoesOn_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("error with a message") << 0 << QStringLiteral("壊れた");
        QTest::newRow("out of memory") << 1 << QStringLiteral("メモリが不足しています。");
        QTest::newRow("error without a message") << 2 << QString();
    }

    void errorsEscapingAnEventAreShownAndTheProgramGoesOn() {
        QFETCH(int, kind);
        QFETCH(QString, message);
        QStringList reported;
        const TErrorReporter previous =
            SetErrorReporter([&reported](const QString& text) { reported << text; });
        TThrowingWidget widget;
        widget.Throw = [kind] {
            if (kind == 0) throw std::runtime_error("壊れた");
            if (kind == 1) throw std::bad_alloc();
            throw 42;
        };
        widget.show();
        QTest::mouseClick(&widget, Qt::LeftButton);
        QCOMPARE(reported, QStringList(message));
        // The event loop goes on with the next event.
        QTest::mouseClick(&widget, Qt::LeftButton);
        QCOMPARE(reported.size(), 2);
        SetErrorReporter(previous);
    }

    void loadingOutOfMemoryKeepsTheWindowAsItWas() {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("AddressSanitizer's allocator ends the process when the address space runs out");
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
        QSKIP("AddressSanitizer's allocator ends the process when the address space runs out");
#endif
#endif
        QTemporaryDir dir;
        const QString small = dir.filePath("small.csv");
        QVERIFY(WriteBytes(small, SmallSurvey()));
        QByteArray big = "id,v\n";
        for (int i = 0; i < 400000; ++i) big += QByteArray::number(i) + ",12345.678\n";
        const QString large = dir.filePath("large.csv");
        QVERIFY(WriteBytes(large, big));

        TFakeDialogs dialogs;
        TMainForm form(&dialogs);
        dialogs.OpenAnswers << small;
        form.Button1Click();
        QCOMPARE(form.SurveyGrid().GridRowCount(), 25);

        // Only a little more address space than now: the large file's rows
        // do not fit.
        rlimit old{};
        QVERIFY(getrlimit(RLIMIT_AS, &old) == 0);
        QFile status("/proc/self/status");
        QVERIFY(status.open(QIODevice::ReadOnly));
        qint64 sizeKb = 0;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmSize:"))
                sizeKb = line.mid(7).trimmed().split(' ')[0].toLongLong();
        QVERIFY(sizeKb > 0);
        rlimit tight = old;
        tight.rlim_cur = static_cast<rlim_t>(sizeKb + 3 * 1024) * 1024;
        QVERIFY(setrlimit(RLIMIT_AS, &tight) == 0);
        dialogs.OpenAnswers << large;
        Control<QPushButton>(form, "Button1")->click();
        QVERIFY(setrlimit(RLIMIT_AS, &old) == 0);

        QCOMPARE(dialogs.Errors, QStringList("メモリが不足しています。"));
        QCOMPARE(Control<QLabel>(form, "PanelDietFileName")->text(), small);
        QCOMPARE(form.SurveyGrid().GridRowCount(), 25);
        QVERIFY(!form.FormProgress()->isVisible());
    }
};

int main(int argc, char** argv) {
    THabitualApplication app(argc, argv);
    TResultsViewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ResultsViewTest.moc"
