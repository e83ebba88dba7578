// The commands of the results document: clear, open, save, print, exit.
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTabWidget>

#include <string>
#include <vector>

#include "engine/Encoding.h"
#include "engine/UserMessages.h"
#include "platform/SaveFile.h"
#include "report/ResultsFile.h"
#include "ui/EnginePath.h"
#include "ui/Main.h"
#include "ui/PlotPage.h"
#include "ui/Printing.h"
#include "ui/RadioGroup.h"
#include "ui/ResultsView.h"
#include "ui/WaitCursor.h"

void TMainForm::SetResultsFileType(TFileDialog& dialog, bool withExtension) const {
    const bool standard = OutType() == habitual::OutForm::Standard;
    dialog.Filter = standard ? QStringLiteral("計算結果 (*.txt)|*.txt")
                             : QStringLiteral("計算結果 (*.csv)|*.csv");
    if (withExtension) dialog.DefaultExt = standard ? QStringLiteral("txt") : QStringLiteral("csv");
}

bool TMainForm::ConfirmOverwrite(const QString& path) {
    // Asked for every file that is there, readable or not: a file that cannot
    // be read can still be overwritten.
    return !QFileInfo::exists(path) ||
           Dialogs->Confirm(this, QString::fromStdString(
                                      habitual::messages::ConfirmOverwrite(path.toStdString())));
}

void TMainForm::FileNew() {
    if (!Dialogs->Confirm(this, QString::fromStdString(habitual::messages::ConfirmClear()))) return;
    TWaitCursor wait;
    Results->Clear();
    TabSheetBunpuzu->Clear();
    SaveFile.FileName.clear();
    OpenFile.FileName.clear();
}

void TMainForm::FileOpen() {
    SetResultsFileType(OpenFile, false);
    if (!Dialogs->ExecuteOpen(this, OpenFile)) return;
    TWaitCursor wait;
    // The whole file is read before the document changes, so a file that
    // fails half-way leaves the document as it was.
    std::vector<std::string> lines;
    if (!habitual::ReadResultsFile(EnginePath(OpenFile.FileName), lines)) {
        ShowError(QString::fromStdString(habitual::messages::ResultsNotOpened()));
        return;
    }
    // What was opened is what the user wants to see.
    PageControl1->setCurrentWidget(TabSheet3);
    Results->Clear();
    // The opened document is not the last run's: its plots go with it.
    TabSheetBunpuzu->Clear();
    Results->HideView();
    for (const std::string& line : lines) Results->Add(line);
    lines = {};
    Results->ShowView();
    SaveFile.FileName = OpenFile.FileName;
}

void TMainForm::FileSaveAs() {
    SetResultsFileType(SaveFile, true);
    if (!Dialogs->ExecuteSave(this, SaveFile)) return;
    const QString path = SaveFile.FileName;
    if (!ConfirmOverwrite(path)) return;

    TWaitCursor wait;
    Results->Flush();
    std::size_t replaced = 0;
    std::vector<std::string> lines;
    for (const QString& line : Results->Lines())
        lines.push_back(habitual::Utf8ToCp932(line.toStdString(), &replaced));
    const std::string bytes = habitual::JoinResultsLines(lines);
    lines = {};

    // Saved by the rules every results file follows (platform/SaveFile.h):
    // a failed save never destroys the file that was there.
    if (!habitual::SaveFile(EnginePath(path), bytes)) {
        ShowError(QString::fromStdString(habitual::messages::ResultsNotSaved()));
        return;
    }
    if (replaced > 0)
        ShowInformation(
            QString::fromStdString(habitual::messages::ResultsCharactersReplaced(replaced)));
}

void TMainForm::FilePrint() {
    QPrinter& printer = Printer();
    Results->Flush();
    // The page range and the selection are offered; a selection is offered
    // only when there is one.
    const QStringList selected = SelectedLines(*RichEditKekka);
    if (!Dialogs->ExecutePrint(this, printer, !selected.isEmpty())) return;
    TWaitCursor wait;
    const bool onlySelection = printer.printRange() == QPrinter::Selection && !selected.isEmpty();
    if (!PrintLines(printer, onlySelection ? selected : Results->Lines(), RichEditKekka->font(),
                    windowTitle()))
        ShowError(QString::fromStdString(habitual::messages::PrintFailed()));
}

void TMainForm::FilePrintSetup() {
    Dialogs->ExecutePrintSetup(this, Printer());
}

void TMainForm::FileExit() {
    if (Dialogs->Confirm(this, QString::fromStdString(habitual::messages::ConfirmExit()))) close();
}
