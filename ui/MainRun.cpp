// The run command and the option interlocks of the settings page.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

#include "engine/Encoding.h"
#include "engine/UserMessages.h"
#include "import/SurveyFile.h"
#include "report/Report.h"
#include "ui/EnginePath.h"
#include "ui/Main.h"
#include "ui/NoticePanel.h"
#include "ui/NotifyingWidgets.h"
#include "ui/PathLabel.h"
#include "ui/PlotPage.h"
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
    settings.OutType = RadioGroupOutType->ItemIndex();
    return settings;
}

void TMainForm::ButtonRunClick() {
    // The first column cannot be the analysis column, and the first person
    // column must be chosen; otherwise the button does nothing at all.
    if (ComboBoxEiyoso->currentIndex() < 1) return;
    if (ComboBoxID[0]->currentIndex() < 1) return;
    PageControl1->setCurrentWidget(TabSheet3);
    const habitual::TAnalysisSettings settings = CollectSettings();

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
    habitual::TRunOptions options;
    options.Input = CollectInput();
    options.Open = &habitual::OpenSurvey;
    options.Notice = [this](const habitual::TNotice& notice) { NoticePanel->Add(notice); };
    NoticePanel->Clear();
    habitual::TRunStatus status;
    // Each group's results, with the values its plots need; they never touch
    // the document.
    std::vector<habitual::TGroupResult> groups;
    options.WithValues = true;
    options.GroupDone = [&groups](habitual::TGroupResult r) { groups.push_back(std::move(r)); };
    {
        TWaitCursor wait;
        TShowAtEnd showAtEnd{*Results};
        status = habitual::RunReport(settings, *Results, options);
        // The new lines in view, whatever the output form.
        Results->ScrollToCaret();
    }
    // The plots follow the last run that wrote results; a rejected run wrote
    // none and leaves them as they were.
    if (status.Ok()) TabSheetBunpuzu->SetResults(std::move(groups));
    if (!status.Ok())
        ShowError(QString::fromStdString(
            habitual::RunErrorMessage(status, PanelDietFileName->text().toStdString())));
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
