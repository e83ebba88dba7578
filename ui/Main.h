// The main window: the settings page where a survey file is loaded and the
// run is set up, the results page with the results document, and the menu
// of document commands.
#pragma once

#include <QMainWindow>

#include <functional>
#include <memory>

#include "engine/CutOffTable.h"
#include "engine/RunAnalysis.h"
#include "engine/Settings.h"
#include "engine/SurveyInput.h"
#include "ui/Dialogs.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QTabWidget;
class QTableView;
class TAboutBox;
class TBootstrapBox;
class TClickEdit;
class TColumnsBox;
class TCutOffTableBox;
class TEnterEdit;
class TFormProgress;
class TNoticeBox;
class TNoticePanel;
class TOptionsPage;
class TPathLabel;
class TPlotPage;
class TRadioGroup;
class TResultsView;
class TSurveyGridModel;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // dialogs answers the window's questions; nullptr means the real dialogs.
    explicit TMainForm(TDialogs* dialogs = nullptr, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Handlers of the controls and menu commands.
    void ButtonRunClick();
    void Button1Click();
    void RadioGroupNormalizeMethodClick();
    void EditVWEnter();
    void EditVWBRatioEnter();
    void EditBekitiClick();
    void FileNew();
    void FileOpen();
    void FileSaveAs();
    void FilePrint();
    void FilePrintSetup();
    void FileExit();
    void HelpAbout();
    void ComboBoxMojiCodeChange();
    // The page 詳細設定: choose the cut-off table, or stop using it.
    void ButtonHyoHirakuClick();
    void ButtonHyoClearClick();
    // The page 分布図: save the figure shown, or every group's figures.
    void ButtonHozonClick();
    void ButtonZenHozonClick();

    // Loads a survey file as the load button does once a file is chosen;
    // false (with the message shown) when it cannot be read, in which case
    // the window keeps what it had.
    bool LoadSurvey(const QString& path);
    // The settings of a run as the controls hold them now.
    habitual::TAnalysisSettings CollectSettings() const;
    // How the loaded survey is read: the encoding and reading choices of the
    // page 詳細設定, and the sheet chosen when it was loaded.
    habitual::TInputOptions CollectInput() const;
    // The options of the page 詳細設定; false, with the message to show, when
    // one of them cannot be used.
    bool CollectRunOptions(habitual::TRunOptions& options, QString& problem) const;

    TAboutBox* AboutBox() const { return About; }
    TFormProgress* FormProgress() const { return Progress; }
    TNoticePanel& Notices() const { return *NoticePanel; }
    TPlotPage& Plots() const { return *TabSheetBunpuzu; }
    TResultsView& ResultLines() const { return *Results; }
    TFileDialog& OpenDialog() { return OpenFile; }
    TFileDialog& SaveDialog() { return SaveFile; }
    TFileDialog& CutOffTableDialog() { return OpenCutOffTable; }
    const TSurveyGridModel& SurveyGrid() const { return *GridModel; }
    QPrinter& Printer();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* MakeSettingsPage();
    QWidget* MakeFileBar();
    QWidget* MakeSettingsPanel();
    QGroupBox* MakeIdGroup();
    QGroupBox* MakeClassGroup();
    QGroupBox* MakeNutrientGroup();
    QWidget* MakeNormalizeGroup();
    QWidget* MakeHendoGroup();
    QGroupBox* MakeCutOffGroup();
    QWidget* MakeOutTypeGroup();
    QWidget* MakeResultsPage();
    QGroupBox* MakeInputGroup();
    // Reads the survey at path with input into the grid and the lists; false
    // (with the message shown) when it cannot be read, the window unchanged.
    bool ReadSurvey(const QString& path, const habitual::TInputOptions& input);
    void ShowLoadedFile();
    void MakeMenus();
    void SetFocusOrder();
    QComboBox* MakeColumnList(const char* name, QWidget* parent);
    // The eight column lists in the order loading fills them.
    QList<QComboBox*> ColumnLists() const;
    // The seven lists that begin with "(なし)".
    QList<QComboBox*> OptionalColumnLists() const;
    void SetResultsFileType(TFileDialog& dialog, bool withExtension) const;
    // The output form of a run: that of RadioGroupOutType, or the summary
    // table when the page 詳細設定 asks for it.
    int OutType() const;
    // Reads the cut-off table at path into table; false (with the message
    // shown) when it cannot be used.
    bool ReadCutOffTable(const QString& path, habitual::TCutOffTable& table);
    // Whether a save may go on: true when nothing is at path, or the user
    // says to overwrite it.
    bool ConfirmOverwrite(const QString& path);

    // Runs a handler; an error it throws is shown in an "エラー" box.
    void RunCommand(void (TMainForm::*handler)());
    // The one way the window shows an error ("エラー" box) or a notice box:
    // through its dialogs, with the ordinary pointer even while it works.
    // Errors thrown anywhere in the program (ReportError) come here too.
    void ShowError(const QString& text);
    void ShowInformation(const QString& text);
    void ConnectCommand(QAction* action, void (TMainForm::*handler)());

    std::unique_ptr<TDialogs> OwnDialogs;
    std::function<void(const QString&)> PreviousReporter;
    TDialogs* Dialogs;
    TFileDialog OpenFile;
    TFileDialog SaveFile;
    TFileDialog SavePlot;
    TFileDialog PlotFolder;
    TFileDialog OpenCutOffTable;
    std::unique_ptr<QPrinter> PrinterDevice;
    bool Placed = false;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    TOptionsPage* TabSheetOptions = nullptr;
    TBootstrapBox* GroupBoxShinraiKukan = nullptr;
    TNoticeBox* GroupBoxChuiJiko = nullptr;
    TColumnsBox* GroupBoxFukusuHensu = nullptr;
    TCutOffTableBox* GroupBoxCutOffHyo = nullptr;
    QWidget* TabSheet3 = nullptr;
    TPlotPage* TabSheetBunpuzu = nullptr;
    QPushButton* Button1 = nullptr;
    TPathLabel* PanelDietFileName = nullptr;
    TSurveyGridModel* GridModel = nullptr;
    QTableView* StringGridDietFile = nullptr;
    QComboBox* ComboBoxID[4] = {};
    QComboBox* ComboBoxBunrui[3] = {};
    QComboBox* ComboBoxEiyoso = nullptr;
    TRadioGroup* RadioGroupNormalizeMethod = nullptr;
    TClickEdit* EditBekiti = nullptr;
    TRadioGroup* RadioGroupHendo = nullptr;
    TEnterEdit* EditVW = nullptr;
    TEnterEdit* EditVWBRatio = nullptr;
    QLineEdit* EditCutOff1 = nullptr;
    TRadioGroup* RadioGroupOutType = nullptr;
    QPushButton* ButtonRun = nullptr;
    QPlainTextEdit* RichEditKekka = nullptr;
    std::unique_ptr<TResultsView> Results;
    TAboutBox* About = nullptr;
    TFormProgress* Progress = nullptr;
    TNoticePanel* NoticePanel = nullptr;
    // The group 調査データの読み込み of the page 詳細設定.
    QLabel* LabelYomikomiFile = nullptr;
    QComboBox* ComboBoxMojiCode = nullptr;
    QCheckBox* CheckBoxKessokuJogai = nullptr;
    // How the loaded survey was read: the encoding item, the sheet, the kind.
    int LoadedMojiCode = 0;
    std::string LoadedSheet;
    habitual::TSurveyFormat LoadedFormat = habitual::TSurveyFormat::Cp932;
};

// The system's title: the main window's caption and the title of print jobs.
extern const char* const SystemTitle;
