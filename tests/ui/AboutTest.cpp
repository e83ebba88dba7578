// The About box and how it opens its address; the progress window.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include "tests/ui/Fixtures.h"
#include "ui/About.h"
#include "ui/Browser.h"
#include "ui/BuildInfo.h"
#include "ui/Progress.h"

namespace {

struct TStarted {
    QString Program;
    QStringList Arguments;
};

// A launcher that reports the command given and records what it starts.
TBrowserLauncher Recording(const QString& command, QList<TStarted>& started) {
    TBrowserLauncher launcher;
    launcher.Command = [command] { return command; };
    launcher.Start = [&started](const QString& program, const QStringList& arguments) {
        started << TStarted{program, arguments};
        return true;
    };
    return launcher;
}

} // namespace

class TAboutTest : public QObject {
    Q_OBJECT

private slots:
    void browserPathRule_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("path");
        QTest::newRow("quoted path with spaces and arguments")
            << "\"C:\\Program Files\\Web Browser\\browser.exe\" -osint -url \"%1\""
            << "C:\\Program Files\\Web Browser\\browser.exe";
        QTest::newRow("unquoted path and arguments") << "C:\\Browser\\browser.exe -nohome \"%1\""
                                                     << "C:\\Browser\\browser.exe";
        QTest::newRow("path alone") << "/usr/bin/xdg-open"
                                    << "/usr/bin/xdg-open";
        QTest::newRow("quote never closed") << "\"C:\\My Browser\\b.exe -x"
                                            << "C:\\My Browser\\b.exe -x";
        QTest::newRow("empty command") << ""
                                       << "";
        QTest::newRow("only a quote") << "\""
                                      << "";
        QTest::newRow("leading space") << " /usr/bin/b"
                                       << "";
        QTest::newRow("Japanese folder") << "\"D:\\ツール\\ブラウザ.exe\" %1"
                                         << "D:\\ツール\\ブラウザ.exe";
        // No limit on the length: a cut path would start another program.
        const QString longPath = "/opt/" + QString(300, 'b') + "/browser";
        QTest::newRow("longer than 255") << "\"" + longPath + "\" %1" << longPath;
    }

    void browserPathRule() {
        QFETCH(QString, command);
        QFETCH(QString, path);
        QCOMPARE(BrowserPath(command), path);
    }

    void doubleClickOpensTheShownAddress() {
        TAboutBox box;
        QList<TStarted> started;
        box.SetLauncher(Recording("\"/opt/web browser/run\" --new-window \"%1\"", started));
        auto* label = Control<QLabel>(box, "Label4");
        QVERIFY(label);
        QCOMPARE(label->text(), HomeAddress());
        QTest::mouseDClick(label, Qt::LeftButton);
        QCOMPARE(started.size(), 1);
        QCOMPARE(started[0].Program, QStringLiteral("/opt/web browser/run"));
        QCOMPARE(started[0].Arguments, QStringList(label->text()));
    }

    void nothingStartsWithoutAnAbsoluteBrowserPath_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("no command registered") << "";
        QTest::newRow("relative path, never searched") << "browser.exe %1";
        QTest::newRow("quoted empty path") << "\"\" %1";
    }

    void nothingStartsWithoutAnAbsoluteBrowserPath() {
        QFETCH(QString, command);
        TAboutBox box;
        QList<TStarted> started;
        box.SetLauncher(Recording(command, started));
        box.Label4DblClick();
        QVERIFY(started.isEmpty());
    }

    void failedStartIsSilent() {
        TAboutBox box;
        box.show();
        TBrowserLauncher launcher;
        launcher.Command = [] { return QStringLiteral("/nonexistent/browser %1"); };
        launcher.Start = DefaultBrowserLauncher().Start;
        box.SetLauncher(launcher);
        box.Label4DblClick();
        QVERIFY(box.isVisible());
    }

    void defaultAddressIsTheInstalledGuide() {
        const QString address = HomeAddress();
        if (!QStringLiteral(HABITUAL_HOME_URL_TEXT).isEmpty()) {
            QCOMPARE(address, QStringLiteral(HABITUAL_HOME_URL_TEXT));
            return;
        }
        QCOMPARE(address, GuideAddress(QCoreApplication::applicationDirPath()));

        // Beside the program where it is there, else under share/doc of the
        // prefix; never in the source folder the program was built from.
        QTemporaryDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("share/doc/habitual")));
        const QString bin = prefix.filePath(QStringLiteral("bin"));
        const QString shared = prefix.filePath(QStringLiteral("share/doc/habitual/guide.html"));
        QCOMPARE(GuideAddress(bin), QUrl::fromLocalFile(shared).toString());
        QFile beside(bin + QStringLiteral("/guide.html"));
        QVERIFY(beside.open(QIODevice::WriteOnly));
        beside.close();
        QCOMPARE(GuideAddress(bin), QUrl::fromLocalFile(beside.fileName()).toString());
    }

    void boxShowsTitleVersionAndClosesEitherWay() {
        TAboutBox box;
        QCOMPARE(box.windowTitle(), QStringLiteral("バージョン情報"));
        QCOMPARE(box.size(), QSize(524, 281));
        QVERIFY(Control<QLabel>(box, "Label3")->text().contains(HABITUAL_VERSION_TEXT));
        QVERIFY(Control<QLabel>(box, "Label3")->text().contains(HABITUAL_RELEASE_DATE_TEXT));
        for (const char* name : {"Label1", "Label2", "Label5", "Label6"})
            QVERIFY2(!Control<QLabel>(box, name)->text().isEmpty(), name);
        auto* ok = Control<QPushButton>(box, "OKButton");
        QVERIFY(ok->isDefault());

        // OK, Enter and the title bar's close button all end the modal box.
        QTimer::singleShot(0, ok, &QPushButton::click);
        QCOMPARE(box.exec(), int(QDialog::Accepted));
        QTimer::singleShot(0, &box, [&box] { QTest::keyClick(&box, Qt::Key_Return); });
        QCOMPARE(box.exec(), int(QDialog::Accepted));
        QTimer::singleShot(0, &box, &QWidget::close);
        QCOMPARE(box.exec(), int(QDialog::Rejected));
        QVERIFY(!box.isVisible());
    }

    void progressWindowHasNoCloseButton() {
        QWidget owner;
        owner.resize(700, 500);
        TFormProgress progress(&owner);
        QCOMPARE(progress.windowTitle(), QStringLiteral("FormProgress"));
        QVERIFY(!(progress.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(progress.windowFlags() & Qt::WindowSystemMenuHint));
        QCOMPARE(progress.ProgressBar()->geometry(), QRect(24, 12, 337, 17));
        QCOMPARE(progress.ProgressBar()->minimum(), 0);
        QCOMPARE(progress.ProgressBar()->maximum(), 100);
        progress.ShowNow();
        QVERIFY(progress.isVisible());
        // Centred over its owner.
        const QPoint offset = progress.frameGeometry().center() - owner.frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 8,
                 qPrintable(QString::number(offset.manhattanLength())));
    }
};

QTEST_MAIN(TAboutTest)
#include "AboutTest.moc"
