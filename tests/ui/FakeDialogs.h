// Answers the window's dialogs and message boxes from prepared answers and
// records what was asked.
#pragma once

#include <QApplication>
#include <QCursor>
#include <QList>
#include <QPrinter>
#include <QStringList>

#include <functional>

#include "ui/Dialogs.h"

class TFakeDialogs : public TDialogs {
public:
    // The path each file dialog answers in turn; an empty text or an empty
    // queue cancels the dialog.
    QStringList OpenAnswers;
    QStringList SaveAnswers;
    QStringList FolderAnswers;
    // Answers to "確認" boxes in turn; an empty queue answers "いいえ(&N)".
    QList<bool> ConfirmAnswers;
    // The sheet each sheet question answers in turn (an index); -1 or an
    // empty queue cancels it.
    QList<int> SheetAnswers;
    // Sets up the printer chosen in the print dialog; unset cancels it.
    std::function<void(QPrinter&)> PrintAnswer;
    // Whether the print dialog last offered the selection.
    bool PrintOfferedSelection = false;

    // What the window asked, in order.
    QList<TFileDialog> OpenShown;
    QList<TFileDialog> SaveShown;
    QList<TFileDialog> FolderShown;
    QStringList Confirms;
    QStringList Errors;
    // The pointer's shape when each error box was shown.
    QList<Qt::CursorShape> ErrorCursors;
    QStringList Informations;
    QList<QStringList> SheetsShown;
    int PrintSetupShown = 0;
    int ModalShown = 0;

    bool ExecuteOpen(QWidget*, TFileDialog& dialog) override {
        OpenShown << dialog;
        return Answer(OpenAnswers, dialog);
    }
    bool ExecuteSave(QWidget*, TFileDialog& dialog) override {
        SaveShown << dialog;
        return Answer(SaveAnswers, dialog);
    }
    bool ExecuteFolder(QWidget*, TFileDialog& dialog) override {
        FolderShown << dialog;
        return Answer(FolderAnswers, dialog);
    }
    bool Confirm(QWidget*, const QString& text) override {
        Confirms << text;
        return !ConfirmAnswers.isEmpty() && ConfirmAnswers.takeFirst();
    }
    void Error(QWidget*, const QString& text) override {
        Errors << text;
        ErrorCursors << (QApplication::overrideCursor() ? QApplication::overrideCursor()->shape()
                                                        : Qt::ArrowCursor);
    }
    void Information(QWidget*, const QString& text) override { Informations << text; }
    bool ExecutePrint(QWidget*, QPrinter& printer, bool withSelection) override {
        PrintOfferedSelection = withSelection;
        if (!PrintAnswer) return false;
        printer.setPrintRange(QPrinter::AllPages);
        printer.setFromTo(0, 0);
        PrintAnswer(printer);
        return true;
    }
    bool ExecutePrintSetup(QWidget*, QPrinter&) override {
        ++PrintSetupShown;
        return false;
    }
    void ShowModal(QDialog&) override { ++ModalShown; }
    bool ChooseSheet(QWidget*, const QString&, const QStringList& sheets, int& chosen) override {
        SheetsShown << sheets;
        if (SheetAnswers.isEmpty()) return false;
        chosen = SheetAnswers.takeFirst();
        return chosen >= 0;
    }

private:
    static bool Answer(QStringList& answers, TFileDialog& dialog) {
        if (answers.isEmpty()) return false;
        const QString path = answers.takeFirst();
        if (path.isEmpty()) return false;
        dialog.FileName = path;
        return true;
    }
};
