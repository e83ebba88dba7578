// The modal dialogs and message boxes the window asks. The window talks to
// them through TDialogs so that tests can answer them without a person.
#pragma once

#include <QString>
#include <QStringList>

class QDialog;
class QMessageBox;
class QPrinter;
class QWidget;

// A file dialog's settings; it keeps the file name last chosen in it and
// proposes it the next time.
struct TFileDialog {
    QString Filter;     // "description|pattern" pairs joined by '|'
    QString DefaultExt; // appended to a chosen name without extension (save only)
    QString FileName;
};

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // Shows the dialog; on acceptance stores the chosen path in dialog.FileName
    // and returns true. The save dialog asks nothing about existing files.
    virtual bool ExecuteOpen(QWidget* parent, TFileDialog& dialog) = 0;
    virtual bool ExecuteSave(QWidget* parent, TFileDialog& dialog) = 0;
    // Chooses a folder (made in the dialog if need be); dialog.FileName is
    // the folder proposed and, on acceptance, the one chosen.
    virtual bool ExecuteFolder(QWidget* parent, TFileDialog& dialog) = 0;
    // "確認" box; true only for "はい(&Y)".
    virtual bool Confirm(QWidget* parent, const QString& text) = 0;
    // "エラー" box with one "OK" button.
    virtual void Error(QWidget* parent, const QString& text) = 0;
    // An information box with one "OK" button.
    virtual void Information(QWidget* parent, const QString& text) = 0;
    // The print dialog, offering a page range, and the selection when
    // withSelection; the choice is left in the printer (printRange, fromPage,
    // toPage).
    virtual bool ExecutePrint(QWidget* parent, QPrinter& printer, bool withSelection) = 0;
    virtual bool ExecutePrintSetup(QWidget* parent, QPrinter& printer) = 0;
    // Shows a window modally and returns when it is closed.
    virtual void ShowModal(QDialog& dialog) = 0;
    // Asks which sheet of a workbook to read; on acceptance stores the index
    // of the chosen one of sheets in chosen and returns true.
    virtual bool ChooseSheet(QWidget* parent, const QString& file, const QStringList& sheets,
                             int& chosen) = 0;
};

// The real dialogs of the desktop.
class TStandardDialogs : public TDialogs {
public:
    bool ExecuteOpen(QWidget* parent, TFileDialog& dialog) override;
    bool ExecuteSave(QWidget* parent, TFileDialog& dialog) override;
    bool ExecuteFolder(QWidget* parent, TFileDialog& dialog) override;
    bool Confirm(QWidget* parent, const QString& text) override;
    void Error(QWidget* parent, const QString& text) override;
    void Information(QWidget* parent, const QString& text) override;
    bool ExecutePrint(QWidget* parent, QPrinter& printer, bool withSelection) override;
    bool ExecutePrintSetup(QWidget* parent, QPrinter& printer) override;
    void ShowModal(QDialog& dialog) override;
    bool ChooseSheet(QWidget* parent, const QString& file, const QStringList& sheets,
                     int& chosen) override;
};

// "description|pattern|description|pattern" as Qt's name filters.
QString QtNameFilters(const QString& filter);

// The message boxes, built but not shown (the caller owns them).
QMessageBox* MakeConfirmBox(QWidget* parent, const QString& text);
QMessageBox* MakeErrorBox(QWidget* parent, const QString& text);
QMessageBox* MakeInformationBox(QWidget* parent, const QString& text);
void ShowErrorMessage(QWidget* parent, const QString& text);
