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
#include "engine/UserMessages.h"
#include "ui/EnginePath.h"
#include "ui/Main.h"
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
    OpenFile.Filter = QStringLiteral("栄養調査データ (*.csv)|*.csv");
    // The dialog proposes the file loaded last.
    OpenFile.FileName = PanelDietFileName->text();
    if (Dialogs->ExecuteOpen(this, OpenFile) && !LoadSurvey(OpenFile.FileName)) return;
    // After a load as after a cancelled dialog the person and classification
    // lists start again from "(なし)"; the analysis list keeps its state.
    for (QComboBox* list : OptionalColumnLists()) list->setCurrentIndex(list->count() > 0 ? 0 : -1);
}

bool TMainForm::LoadSurvey(const QString& path) {
    TWaitCursor wait;
    // The reader's buffers are large: it lives on the heap.
    auto reader = std::make_unique<habitual::TCsvFile>();
    if (!reader->Open(EnginePath(path).c_str(), "rt")) {
        ShowError(QString::fromStdString(habitual::messages::SurveyNotFound(path.toStdString())));
        return false;
    }
    reader->CountRows();
    const int rows = reader->NRows;
    const int width = reader->MaxFields;

    QProgressBar* bar = Progress->ProgressBar();
    bar->setMinimum(0);
    bar->setMaximum(rows);
    Progress->setWindowTitle(QStringLiteral("ファイルを読み込み中"));
    bar->setValue(0);
    Progress->ShowNow();
    THideAtEnd hideAtEnd{Progress};

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
                          static_cast<std::size_t>(QFileInfo(path).size()));
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
    GridModel->SetSurvey(labels, std::move(table), rows, width + 1);
    for (QComboBox* list : ColumnLists()) list->clear();
    for (QComboBox* list : OptionalColumnLists()) list->addItem(NoColumn);
    for (QComboBox* list : ColumnLists()) list->addItems(labels);
    // A list that receives its first item selects it by itself; the analysis
    // column is left for the user to choose.
    ComboBoxEiyoso->setCurrentIndex(-1);
    return true;
}
