// Loading a survey file into the preview grid and the column lists.
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>
#include <memory>

#include "engine/ColumnLabel.h"
#include "engine/CsvFile.h"
#include "engine/Encoding.h"
#include "engine/InputNotices.h"
#include "engine/UserMessages.h"
#include "import/SurveyFile.h"
#include "ui/ColumnsBox.h"
#include "ui/EnginePath.h"
#include "ui/Main.h"
#include "ui/NoticePanel.h"
#include "ui/PathLabel.h"
#include "ui/Progress.h"
#include "ui/SurveyGrid.h"
#include "ui/WaitCursor.h"

namespace {

// Hides the progress window however loading ends.
struct THideAtEnd {
    TFormProgress* Window;
    ~THideAtEnd() { Window->hide(); }
};

const QString NoColumn = QStringLiteral("(なし)");

} // namespace

void TMainForm::Button1Click() {
    OpenFile.Filter = QStringLiteral("栄養調査データ (*.csv)|*.csv|Excel ブック (*.xlsx)|*.xlsx");
    // The dialog proposes the file loaded last.
    OpenFile.FileName = PanelDietFileName->text();
    if (Dialogs->ExecuteOpen(this, OpenFile) && !LoadSurvey(OpenFile.FileName)) return;
    // After a load as after a cancelled dialog the person and classification
    // lists start again from "(なし)"; the analysis list keeps its state.
    for (QComboBox* list : OptionalColumnLists()) list->setCurrentIndex(list->count() > 0 ? 0 : -1);
}

bool TMainForm::LoadSurvey(const QString& path) {
    habitual::TInputOptions input = CollectInput();
    input.Sheet.clear();
    const std::string nativePath = EnginePath(path);
    if (habitual::IsWorkbookFile(nativePath)) {
        // A workbook of several sheets: the user says which one.
        std::vector<std::string> names;
        habitual::TInputProblem problem;
        if (!habitual::ListSheets(nativePath, names, problem)) {
            ShowError(QString::fromStdString(
                habitual::messages::InputProblem(problem, path.toStdString())));
            return false;
        }
        if (names.size() > 1) {
            QStringList sheets;
            for (const std::string& name : names) sheets << QString::fromStdString(name);
            int chosen = 0;
            if (!Dialogs->ChooseSheet(this, path, sheets, chosen) || chosen < 0 ||
                chosen >= sheets.size())
                return false;
            input.Sheet = names[static_cast<std::size_t>(chosen)];
        }
    }
    return ReadSurvey(path, input);
}

bool TMainForm::ReadSurvey(const QString& path, const habitual::TInputOptions& input) {
    TWaitCursor wait;
    const std::string nativePath = EnginePath(path);
    // A workbook is turned into rows before they can be counted: the
    // progress window is up meanwhile.
    THideAtEnd hideAtEnd{Progress};
    QProgressBar* bar = Progress->ProgressBar();
    if (habitual::IsWorkbookFile(nativePath)) {
        bar->setRange(0, 0);
        Progress->setWindowTitle(QStringLiteral("ファイルを読み込み中"));
        Progress->ShowNow();
    }
    habitual::TOpenedSurvey survey = habitual::OpenSurvey(nativePath, input);
    if (!survey.Source) {
        Progress->hide();
        const std::string message =
            survey.Problem.Kind == habitual::TInputProblem::TKind::CannotOpen
                ? habitual::messages::SurveyNotFound(path.toStdString())
                : habitual::messages::InputProblem(survey.Problem, path.toStdString());
        ShowError(QString::fromStdString(message));
        return false;
    }
    const std::uint64_t bytes = survey.Source->SizeHint();
    // The reader's buffers are large: it lives on the heap.
    auto reader = std::make_unique<habitual::TCsvFile>();
    reader->Attach(std::move(survey.Source));
    reader->CountRows();
    const int rows = reader->NRows;
    const int width = reader->MaxFields;

    bar->setMinimum(0);
    bar->setMaximum(rows);
    Progress->setWindowTitle(QStringLiteral("ファイルを読み込み中"));
    bar->setValue(0);
    Progress->ShowNow();

    // The rows are read into a new table first: the window shows the old file
    // until the new one has been read whole, so a failure changes nothing.
    QStringList labels;
    TSurveyTable table;
    // Moving the bar costs more than reading a row: it moves in steps too
    // small to see apart, the last one at the maximum.
    const int stride = std::max(1, rows / 1000);
    for (int r = 0; r < rows; ++r) {
        if ((r + 1) % stride == 0 || r + 1 == rows) Progress->SetPosition(r + 1);
        reader->NextRow();
        // Past the end of the file (it shrank since it was counted) every
        // column of the row is missing.
        const int count = std::clamp(reader->NFields, 0, width);
        if (r == 0) {
            for (int c = 0; c < count; ++c)
                labels << QString::fromStdString(
                    habitual::Cp932ToUtf8(habitual::ColumnLabel(c, reader->Fields[c])));
            const auto expectedFields =
                static_cast<std::size_t>(rows - 1) * static_cast<std::size_t>(std::max(count, 1));
            table.Reserve(static_cast<std::size_t>(rows - 1), expectedFields,
                          static_cast<std::size_t>(bytes));
        } else {
            table.AddRow(reader->Fields, count);
        }
    }
    const bool failed = reader->ReadFailed();
    reader->Close();
    Progress->hide();
    if (failed) {
        ShowError(QString::fromStdString(habitual::messages::SurveyLoadFailed(path.toStdString())));
        return false;
    }

    PanelDietFileName->SetPath(path);
    LoadedMojiCode = ComboBoxMojiCode->currentIndex();
    LoadedSheet = survey.SheetName;
    LoadedFormat = survey.Format;
    ShowLoadedFile();
    Notices().Clear();
    if (reader->SkippedWithText.Count > 0)
        Notices().Add(habitual::SkippedLinesNotice(reader->SkippedWithText, survey.Format));
    GridModel->SetSurvey(labels, std::move(table), rows, width + 1);
    for (QComboBox* list : ColumnLists()) list->clear();
    for (QComboBox* list : OptionalColumnLists()) list->addItem(NoColumn);
    for (QComboBox* list : ColumnLists()) list->addItems(labels);
    GroupBoxFukusuHensu->SetColumns(labels);
    // A list that receives its first item selects it by itself; the analysis
    // column is left for the user to choose.
    ComboBoxEiyoso->setCurrentIndex(-1);
    return true;
}
