#include "ui/Dialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include <memory>

QString QtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i];
        const QString pattern = parts[i + 1];
        // Qt takes the patterns from the parentheses at the end of the text.
        if (description.endsWith(QLatin1Char('(') + pattern + QLatin1Char(')')))
            filters << description;
        else
            filters << description + QLatin1String(" (") + pattern + QLatin1Char(')');
    }
    return filters.join(QLatin1String(";;"));
}

namespace {

QString RunFileDialog(QWidget* parent, TFileDialog& dialog, QFileDialog::AcceptMode mode) {
    QFileDialog box(parent);
    box.setAcceptMode(mode);
    box.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                    : QFileDialog::ExistingFile);
    // The program asks about existing files itself, after the dialog.
    box.setOption(QFileDialog::DontConfirmOverwrite, true);
    box.setNameFilter(QtNameFilters(dialog.Filter));
    if (mode == QFileDialog::AcceptSave) box.setDefaultSuffix(dialog.DefaultExt);
    if (!dialog.FileName.isEmpty()) {
        const QFileInfo proposed(dialog.FileName);
        box.setDirectory(proposed.absolutePath());
        box.selectFile(proposed.fileName());
    }
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return QString();
    return box.selectedFiles().constFirst();
}

} // namespace

bool TStandardDialogs::ExecuteOpen(QWidget* parent, TFileDialog& dialog) {
    const QString path = RunFileDialog(parent, dialog, QFileDialog::AcceptOpen);
    if (path.isEmpty()) return false;
    dialog.FileName = path;
    return true;
}

bool TStandardDialogs::ExecuteSave(QWidget* parent, TFileDialog& dialog) {
    QString path = RunFileDialog(parent, dialog, QFileDialog::AcceptSave);
    if (path.isEmpty()) return false;
    // Some desktop dialogs ignore the default suffix: add it here as well.
    if (!dialog.DefaultExt.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + dialog.DefaultExt;
    dialog.FileName = path;
    return true;
}

bool TStandardDialogs::ExecuteFolder(QWidget* parent, TFileDialog& dialog) {
    QFileDialog box(parent);
    box.setAcceptMode(QFileDialog::AcceptOpen);
    box.setFileMode(QFileDialog::Directory);
    box.setOption(QFileDialog::ShowDirsOnly, true);
    if (!dialog.FileName.isEmpty()) box.setDirectory(dialog.FileName);
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return false;
    dialog.FileName = box.selectedFiles().constFirst();
    return true;
}

QMessageBox* MakeConfirmBox(QWidget* parent, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("確認"), text,
                                QMessageBox::NoButton, parent);
    QPushButton* yes = box->addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box->addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box->setDefaultButton(yes);
    box->setEscapeButton(no);
    return box;
}

// A box with a single "OK" button, which Enter and Escape both answer.
static QMessageBox* MakeOkBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                              const QString& text) {
    auto* box = new QMessageBox(icon, title, text, QMessageBox::NoButton, parent);
    QPushButton* ok = box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box->setDefaultButton(ok);
    box->setEscapeButton(ok);
    return box;
}

QMessageBox* MakeErrorBox(QWidget* parent, const QString& text) {
    return MakeOkBox(parent, QMessageBox::Critical, QStringLiteral("エラー"), text);
}

QMessageBox* MakeInformationBox(QWidget* parent, const QString& text) {
    return MakeOkBox(parent, QMessageBox::Information, QStringLiteral("情報"), text);
}

void ShowErrorMessage(QWidget* parent, const QString& text) {
    std::unique_ptr<QMessageBox> box(MakeErrorBox(parent, text));
    box->exec();
}

bool TStandardDialogs::Confirm(QWidget* parent, const QString& text) {
    std::unique_ptr<QMessageBox> box(MakeConfirmBox(parent, text));
    box->exec();
    return box->clickedButton() == box->defaultButton();
}

void TStandardDialogs::Error(QWidget* parent, const QString& text) {
    ShowErrorMessage(parent, text);
}

void TStandardDialogs::Information(QWidget* parent, const QString& text) {
    std::unique_ptr<QMessageBox> box(MakeInformationBox(parent, text));
    box->exec();
}

bool TStandardDialogs::ExecutePrint(QWidget* parent, QPrinter& printer, bool withSelection) {
    // Printing honours what is offered here: all pages, a range of them, or
    // the selected text. The current page means nothing in a text view.
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(0, 0);
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, withSelection);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog.exec() == QDialog::Accepted;
}

bool TStandardDialogs::ExecutePrintSetup(QWidget* parent, QPrinter& printer) {
    QPageSetupDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void TStandardDialogs::ShowModal(QDialog& dialog) {
    dialog.exec();
}

bool TStandardDialogs::ChooseSheet(QWidget* parent, const QString& file, const QStringList& sheets,
                                   int& chosen) {
    QInputDialog box(parent);
    box.setObjectName(QStringLiteral("DialogSheet"));
    box.setWindowTitle(QStringLiteral("シートの選択"));
    box.setLabelText(QStringLiteral("ブック[%1]には %2 枚のシートがあります。読み込むシートを"
                                    "選んでください。")
                         .arg(QFileInfo(file).fileName())
                         .arg(sheets.size()));
    box.setComboBoxItems(sheets);
    box.setComboBoxEditable(false);
    box.setOkButtonText(QStringLiteral("OK"));
    box.setCancelButtonText(QStringLiteral("キャンセル"));
    if (box.exec() != QDialog::Accepted) return false;
    chosen = static_cast<int>(sheets.indexOf(box.textValue()));
    return chosen >= 0;
}
