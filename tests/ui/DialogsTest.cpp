// The real message boxes and file dialogs behind the window's questions.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

#include "tests/ui/Fixtures.h"
#include "ui/Dialogs.h"

namespace {

// Runs action on the modal window once it is up.
void WhenModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            WhenModal(action);
            return;
        }
        action(modal);
    });
}

QStringList ButtonTexts(const QMessageBox& box) {
    QStringList texts;
    for (QAbstractButton* button : box.buttons()) texts << button->text();
    return texts;
}

} // namespace

class TDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void filtersBecomeQtNameFilters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("names");
        QTest::newRow("pattern in the description") << "計算結果 (*.csv)|*.csv"
                                                    << "計算結果 (*.csv)";
        QTest::newRow("pattern added") << "Data|*.dat"
                                       << "Data (*.dat)";
        QTest::newRow("two types") << "A (*.a)|*.a|B|*.b"
                                   << "A (*.a);;B (*.b)";
    }

    void filtersBecomeQtNameFilters() {
        QFETCH(QString, filter);
        QFETCH(QString, names);
        QCOMPARE(QtNameFilters(filter), names);
    }

    void confirmationBox() {
        std::unique_ptr<QMessageBox> box(MakeConfirmBox(nullptr, QStringLiteral("終了します")));
        QCOMPARE(box->windowTitle(), QStringLiteral("確認"));
        QCOMPARE(box->icon(), QMessageBox::Question);
        QCOMPARE(box->text(), QStringLiteral("終了します"));
        QCOMPARE(ButtonTexts(*box), QStringList({"はい(&Y)", "いいえ(&N)"}));
        QCOMPARE(box->defaultButton()->text(), QStringLiteral("はい(&Y)"));
        QCOMPARE(box->escapeButton()->text(), QStringLiteral("いいえ(&N)"));

        // Escape answers no, Enter yes.
        TStandardDialogs dialogs;
        WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        QVERIFY(!dialogs.Confirm(nullptr, QStringLiteral("計算結果をクリアします")));
        WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Return); });
        QVERIFY(dialogs.Confirm(nullptr, QStringLiteral("計算結果をクリアします")));
    }

    void errorBox() {
        std::unique_ptr<QMessageBox> box(
            MakeErrorBox(nullptr, QStringLiteral("ファイルを開けませんでした。")));
        QCOMPARE(box->windowTitle(), QStringLiteral("エラー"));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QCOMPARE(ButtonTexts(*box), QStringList("OK"));
        TStandardDialogs dialogs;
        WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        dialogs.Error(nullptr, QStringLiteral("x"));
    }

    void saveDialogAddsTheExtensionAndAsksNothing() {
        QTemporaryDir dir;
        QVERIFY(WriteBytes(dir.filePath("there.csv"), "x"));
        TStandardDialogs dialogs;
        TFileDialog save{QStringLiteral("計算結果 (*.csv)|*.csv"), QStringLiteral("csv"),
                         dir.filePath("result")};
        QStringList filters;
        WhenModal([&filters](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            filters = dialog->nameFilters();
            static_cast<QDialog*>(dialog)->accept(); // QFileDialog's own accept
        });
        QVERIFY(dialogs.ExecuteSave(nullptr, save));
        QCOMPARE(save.FileName, dir.filePath("result.csv"));
        QCOMPARE(filters, QStringList("計算結果 (*.csv)"));

        // An existing file is accepted without a question of the dialog's own.
        save.FileName = dir.filePath("there.csv");
        WhenModal([](QWidget* modal) { static_cast<QDialog*>(modal)->accept(); });
        QVERIFY(dialogs.ExecuteSave(nullptr, save));
        QCOMPARE(save.FileName, dir.filePath("there.csv"));
        QVERIFY(!QApplication::activeModalWidget());

        // Cancelling keeps the name it had.
        WhenModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
        QVERIFY(!dialogs.ExecuteSave(nullptr, save));
        QCOMPARE(save.FileName, dir.filePath("there.csv"));
    }
};

QTEST_MAIN(TDialogsTest)
#include "DialogsTest.moc"
