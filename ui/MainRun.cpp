// The run command and the option interlocks of the settings page.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTabWidget>

#include <optional>
#include <vector>

#include "engine/Encoding.h"
#include "engine/UserMessages.h"
#include "import/SurveyFile.h"
#include "report/Report.h"
#include "ui/BootstrapBox.h"
#include "ui/ColumnsBox.h"
#include "ui/CutOffTableBox.h"
#include "ui/EnginePath.h"
#include "ui/Main.h"
#include "ui/NoticeBox.h"
#include "ui/NoticePanel.h"
#include "ui/NotifyingWidgets.h"
#include "ui/PathLabel.h"
#include "ui/PlotPage.h"
#include "ui/Progress.h"
#include "ui/RadioGroup.h"
#include "ui/ResultsView.h"
#include "ui/WaitCursor.h"

namespace {

std::string Cp932Text(const QLineEdit* edit) {
    return habitual::Utf8ToCp932(edit->text().toStdString());
}

} // namespace

habitual::TAnalysisSettings TMainForm::CollectSettings() const {
    habitual::TAnalysisSettings settings;
    settings.FileName = EnginePath(PanelDietFileName->text());
    // In the ID and classification lists item 0 is "(なし)", so the item index
    // minus one is the column, -1 for none.
    for (int i = 0; i < 4; ++i) settings.IdColumns[i] = ComboBoxID[i]->currentIndex() - 1;
    for (int i = 0; i < 3; ++i) settings.ClassColumns[i] = ComboBoxBunrui[i]->currentIndex() - 1;
    settings.NutrientColumn = ComboBoxEiyoso->currentIndex();
    settings.NormalizeMethod = RadioGroupNormalizeMethod->ItemIndex();
    settings.PowerText = Cp932Text(EditBekiti);
    settings.HendoMode = RadioGroupHendo->ItemIndex();
    settings.VWText = Cp932Text(EditVW);
    settings.VWBRatioText = Cp932Text(EditVWBRatio);
    settings.CutOffText = Cp932Text(EditCutOff1);
    settings.OutType = OutType();
    return settings;
}

int TMainForm::OutType() const {
    return GroupBoxFukusuHensu->SummaryTable() ? habitual::OutForm::SummaryTable
                                               : RadioGroupOutType->ItemIndex();
}

bool TMainForm::ReadCutOffTable(const QString& path, habitual::TCutOffTable& table) {
    TWaitCursor wait;
    habitual::TCutOffProblem problem;
    if (table.Read(EnginePath(path), {}, &habitual::OpenSurvey, problem)) return true;
    problem.Path = path.toStdString();
    ShowError(
        QString::fromStdString(habitual::messages::CutOffTableProblem(problem, problem.Path)));
    return false;
}

void TMainForm::ButtonHyoHirakuClick() {
    OpenCutOffTable.Filter =
        QStringLiteral("カットオフ値の表 (*.csv)|*.csv|Excel ブック (*.xlsx)|*.xlsx");
    OpenCutOffTable.FileName = GroupBoxCutOffHyo->Path();
    if (!Dialogs->ExecuteOpen(this, OpenCutOffTable)) return;
    habitual::TCutOffTable table;
    if (!ReadCutOffTable(OpenCutOffTable.FileName, table)) return;
    QStringList names;
    for (const std::string& name : table.TableClassNames())
        names << QString::fromStdString(habitual::Cp932ToUtf8(name));
    GroupBoxCutOffHyo->SetTable(OpenCutOffTable.FileName,
                                static_cast<int>(table.TableRows().size()), names);
}

void TMainForm::ButtonHyoClearClick() {
    GroupBoxCutOffHyo->Clear();
}

bool TMainForm::CollectRunOptions(habitual::TRunOptions& options, QString& problem) const {
    options.NoticesInDocument = GroupBoxChuiJiko->NoticesInResults();
    return GroupBoxShinraiKukan->Collect(options.Bootstrap, problem);
}

namespace {

// Hides the progress window however a run ends.
struct THideProgress {
    TFormProgress* Window;
    bool Shown = false;
    ~THideProgress() {
        if (Shown) Window->hide();
    }
};

} // namespace

void TMainForm::ButtonRunClick() {
    // The first column cannot be the analysis column, and the first person
    // column must be chosen; otherwise the button does nothing at all. With
    // columns checked on the page 詳細設定 those are the analysis columns.
    habitual::TRunOptions options;
    options.Columns.List = GroupBoxFukusuHensu->CheckedColumns();
    if (options.Columns.List.empty() && ComboBoxEiyoso->currentIndex() < 1) return;
    if (ComboBoxID[0]->currentIndex() < 1) return;
    QString problem;
    if (!CollectRunOptions(options, problem)) {
        ShowError(problem);
        return;
    }
    // The cut-off table is read again for the run, before anything is written.
    habitual::TCutOffTable cutOffs;
    if (!GroupBoxCutOffHyo->Path().isEmpty()) {
        if (!ReadCutOffTable(GroupBoxCutOffHyo->Path(), cutOffs)) return;
        options.CutOffs = &cutOffs;
    }
    PageControl1->setCurrentWidget(TabSheet3);
    const habitual::TAnalysisSettings settings = CollectSettings();
    options.Input = CollectInput();
    options.Open = &habitual::OpenSurvey;

    // The notices reach the panel when the run is done.
    NoticePanel->Clear();
    std::vector<habitual::TNotice> notices;
    options.Notice = [&notices](habitual::TNotice notice) { notices.push_back(std::move(notice)); };
    // Each group's results, with the values its plots need; they never touch
    // the document.
    std::vector<habitual::TGroupResult> groups;
    options.WithValues = true;
    options.GroupDone = [&groups](habitual::TGroupResult r) { groups.push_back(std::move(r)); };
    // Resampling takes a while: a progress window with 中止, which stops the
    // run before it adds anything. Without it the wait cursor says that the
    // window works.
    THideProgress hideProgress{Progress};
    std::optional<TWaitCursor> wait;
    if (options.Bootstrap.On()) {
        constexpr int Steps = 1000;
        QProgressBar* bar = Progress->ProgressBar();
        bar->setRange(0, Steps);
        bar->setValue(0);
        Progress->setWindowTitle(QStringLiteral("信頼区間を計算中"));
        Progress->ShowNow(true);
        hideProgress.Shown = true;
        options.Bootstrap.Progress = [this](double done) {
            Progress->SetPosition(static_cast<int>(done * Steps));
            return !Progress->CancelRequested();
        };
    } else {
        wait.emplace();
    }

    // Whatever the run appended reaches the view, even if it stops early.
    struct TShowAtEnd {
        TResultsView& Lines;
        ~TShowAtEnd() {
            try {
                Lines.Flush();
            } catch (...) {
                // Out of memory while unwinding: the lines stay pending.
            }
        }
    };
    habitual::TRunStatus status;
    {
        TShowAtEnd showAtEnd{*Results};
        status = habitual::RunReport(settings, *Results, options);
        // The panel takes its room before the new lines are brought into view.
        if (status.Ok())
            for (const habitual::TNotice& notice : notices) NoticePanel->Add(notice);
        // The new lines in view, whatever the output form.
        Results->ScrollToCaret();
    }
    wait.reset();
    if (hideProgress.Shown) {
        Progress->hide();
        hideProgress.Shown = false;
    }
    const QString message = QString::fromStdString(
        habitual::RunErrorMessage(status, PanelDietFileName->text().toStdString()));
    if (status.Error == habitual::TRunError::Cancelled) {
        ShowInformation(message);
        return;
    }
    if (!status.Ok()) {
        ShowError(message);
        return;
    }
    // The plots follow the last run that wrote results; a rejected or stopped
    // run wrote none and leaves them as they were.
    TabSheetBunpuzu->SetResults(std::move(groups));
}

void TMainForm::RadioGroupNormalizeMethodClick() {
    const bool givenPower =
        RadioGroupNormalizeMethod->ItemIndex() == habitual::Normalize::GivenPower;
    RadioGroupHendo->setEnabled(givenPower);
    EditVW->setEnabled(givenPower);
    EditVWBRatio->setEnabled(givenPower);
    EditBekiti->setEnabled(givenPower);
}

void TMainForm::EditVWEnter() {
    RadioGroupHendo->SetItemIndex(habitual::Hendo::WithinGiven);
}

void TMainForm::EditVWBRatioEnter() {
    RadioGroupHendo->SetItemIndex(habitual::Hendo::RatioGiven);
}

void TMainForm::EditBekitiClick() {
    RadioGroupNormalizeMethod->SetItemIndex(habitual::Normalize::GivenPower);
}
