#include "ui/Main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "ui/About.h"
#include "ui/BootstrapBox.h"
#include "ui/ColumnsBox.h"
#include "ui/CutOffTableBox.h"
#include "ui/ErrorReport.h"
#include "ui/Fonts.h"
#include "ui/NoticeBox.h"
#include "ui/NoticePanel.h"
#include "ui/NotifyingWidgets.h"
#include "ui/OptionsPage.h"
#include "ui/PathLabel.h"
#include "ui/PlotPage.h"
#include "ui/Progress.h"
#include "ui/RadioGroup.h"
#include "ui/ResultsView.h"
#include "ui/SurveyGrid.h"
#include "ui/WaitCursor.h"

const char* const SystemTitle = "Habitual 習慣的摂取量分布の推定";

namespace {

// The window's own font at 13 pixels; a face that can show Japanese where the
// desktop's default cannot.
QFont WindowFont() {
    QFont font = QFont();
    const QStringList systems = QFontDatabase::families(QFontDatabase::Japanese);
    if (!systems.contains(QFontInfo(font).family())) font = DialogFont(13);
    font.setPixelSize(13);
    return font;
}

QLabel* MakeLabel(const char* name, const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromUtf8(name));
    return label;
}

// The middle column is a little wider than the others: its radio items share
// their rows with edits.
constexpr int MiddleWidth = 219;

} // namespace

TMainForm::TMainForm(TDialogs* dialogs, QWidget* parent)
    : QMainWindow(parent), OwnDialogs(dialogs ? nullptr : new TStandardDialogs),
      Dialogs(dialogs ? dialogs : OwnDialogs.get()) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QString::fromUtf8(SystemTitle));
    setFont(WindowFont());

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setFocusPolicy(Qt::NoFocus);
    PageControl1->tabBar()->setFocusPolicy(Qt::NoFocus);
    TabSheet2 = MakeSettingsPage();
    TabSheetOptions = new TOptionsPage;
    TabSheetOptions->AddGroup(MakeInputGroup());
    GroupBoxShinraiKukan = new TBootstrapBox;
    TabSheetOptions->AddGroup(GroupBoxShinraiKukan);
    GroupBoxChuiJiko = new TNoticeBox;
    TabSheetOptions->AddGroup(GroupBoxChuiJiko);
    GroupBoxFukusuHensu = new TColumnsBox;
    TabSheetOptions->AddGroup(GroupBoxFukusuHensu);
    GroupBoxCutOffHyo = new TCutOffTableBox;
    TabSheetOptions->AddGroup(GroupBoxCutOffHyo);
    connect(GroupBoxCutOffHyo->OpenButton(), &QPushButton::clicked, this,
            [this] { RunCommand(&TMainForm::ButtonHyoHirakuClick); });
    connect(GroupBoxCutOffHyo->ClearButton(), &QPushButton::clicked, this,
            [this] { RunCommand(&TMainForm::ButtonHyoClearClick); });
    TabSheet3 = MakeResultsPage();
    PageControl1->addTab(TabSheet2, QStringLiteral("計算法の指定"));
    PageControl1->addTab(TabSheetOptions, QStringLiteral("詳細設定"));
    PageControl1->addTab(TabSheet3, QStringLiteral("計算結果"));
    TabSheetBunpuzu = new TPlotPage;
    PageControl1->addTab(TabSheetBunpuzu, QStringLiteral("分布図"));
    connect(TabSheetBunpuzu->ButtonHozon, &QPushButton::clicked, this,
            [this] { RunCommand(&TMainForm::ButtonHozonClick); });
    connect(TabSheetBunpuzu->ButtonZenHozon, &QPushButton::clicked, this,
            [this] { RunCommand(&TMainForm::ButtonZenHozonClick); });
    setCentralWidget(PageControl1);
    NoticePanel = new TNoticePanel(this);
    addDockWidget(Qt::BottomDockWidgetArea, NoticePanel);
    MakeMenus();
    SetFocusOrder();

    // Created after the main window, hidden, and reused until the end.
    About = new TAboutBox(this);
    Progress = new TFormProgress(this);

    resize(722, 594 + menuBar()->sizeHint().height());
    PreviousReporter = SetErrorReporter([this](const QString& text) { ShowError(text); });
}

TMainForm::~TMainForm() {
    SetErrorReporter(PreviousReporter);
}

void TMainForm::ShowError(const QString& text) {
    TArrowCursor arrow;
    QWidget* parent = QApplication::activeModalWidget();
    Dialogs->Error(parent ? parent : this, text);
}

void TMainForm::ShowInformation(const QString& text) {
    TArrowCursor arrow;
    Dialogs->Information(this, text);
}

QWidget* TMainForm::MakeSettingsPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // Upper part: the file bar and the grid, taking all the height left.
    auto* panel2 = new QFrame(page);
    panel2->setObjectName(QStringLiteral("Panel2"));
    panel2->setFrameShape(QFrame::Panel);
    panel2->setFrameShadow(QFrame::Sunken);
    auto* upper = new QVBoxLayout(panel2);
    upper->setContentsMargins(1, 1, 1, 1);
    upper->setSpacing(0);
    upper->addWidget(MakeFileBar());
    GridModel = new TSurveyGridModel(this);
    StringGridDietFile = MakeSurveyGridView(GridModel, panel2);
    upper->addWidget(StringGridDietFile, 1);
    layout->addWidget(panel2, 1);

    layout->addWidget(MakeSettingsPanel());
    return page;
}

QWidget* TMainForm::MakeFileBar() {
    auto* panel1 = new QWidget;
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setFixedHeight(32);
    auto* bar = new QHBoxLayout(panel1);
    bar->setContentsMargins(9, 2, 8, 2);
    bar->setSpacing(8);
    bar->addWidget(MakeLabel("Label6", "栄養調査データ", panel1));
    Button1 = new QPushButton(QStringLiteral("開く"), panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFixedSize(49, 25);
    connect(Button1, &QPushButton::clicked, this, [this] { RunCommand(&TMainForm::Button1Click); });
    bar->addWidget(Button1);
    PanelDietFileName = new TPathLabel(panel1);
    PanelDietFileName->setObjectName(QStringLiteral("PanelDietFileName"));
    PanelDietFileName->setFrameShape(QFrame::Panel);
    PanelDietFileName->setFrameShadow(QFrame::Sunken);
    PanelDietFileName->setAutoFillBackground(true);
    PanelDietFileName->setBackgroundRole(QPalette::Base);
    PanelDietFileName->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    PanelDietFileName->setFixedHeight(22);
    PanelDietFileName->setMinimumWidth(474);
    bar->addWidget(PanelDietFileName, 1);
    return panel1;
}

QWidget* TMainForm::MakeSettingsPanel() {
    auto* panel3 = new QWidget;
    panel3->setObjectName(QStringLiteral("Panel3"));
    panel3->setFixedHeight(279);
    auto* columns = new QHBoxLayout(panel3);
    columns->setContentsMargins(8, 10, 8, 8);
    columns->setSpacing(12);

    auto* left = new QVBoxLayout;
    left->setSpacing(7);
    left->addWidget(MakeIdGroup());
    left->addWidget(MakeClassGroup());
    left->addStretch(1);
    columns->addLayout(left);

    auto* middle = new QVBoxLayout;
    middle->setSpacing(6);
    middle->addWidget(MakeNutrientGroup());
    middle->addWidget(MakeNormalizeGroup());
    middle->addWidget(MakeHendoGroup());
    middle->addStretch(1);
    columns->addLayout(middle);

    auto* right = new QVBoxLayout;
    right->setSpacing(8);
    right->addWidget(MakeCutOffGroup());
    right->addWidget(MakeOutTypeGroup());
    right->addSpacing(16);
    ButtonRun = new QPushButton(QStringLiteral("計算実行"), panel3);
    ButtonRun->setObjectName(QStringLiteral("ButtonRun"));
    ButtonRun->setFixedSize(121, 25);
    connect(ButtonRun, &QPushButton::clicked, this,
            [this] { RunCommand(&TMainForm::ButtonRunClick); });
    right->addWidget(ButtonRun, 0, Qt::AlignHCenter);
    right->addStretch(1);
    columns->addLayout(right);
    columns->addStretch(1);
    return panel3;
}

QComboBox* TMainForm::MakeColumnList(const char* name, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromUtf8(name));
    list->setFixedWidth(177);
    list->setMaxVisibleItems(20);
    return list;
}

QGroupBox* TMainForm::MakeIdGroup() {
    auto* group = new QGroupBox(QStringLiteral("個人識別ID（地区/世帯/世帯員番号等）"));
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->setFixedWidth(241);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(8, 4, 8, 6);
    grid->setVerticalSpacing(3);
    static const char* const labels[][2] = {
        {"Label1", "ID-1"}, {"Label2", "ID-2"}, {"Label3", "ID-3"}, {"Label4", "ID-4"}};
    static const char* const names[] = {"ComboBoxID1", "ComboBoxID2", "ComboBoxID3", "ComboBoxID4"};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(MakeLabel(labels[i][0], labels[i][1], group), i, 0);
        ComboBoxID[i] = MakeColumnList(names[i], group);
        grid->addWidget(ComboBoxID[i], i, 1);
    }
    return group;
}

QGroupBox* TMainForm::MakeClassGroup() {
    auto* group = new QGroupBox(QStringLiteral("分類変数（性/年齢階級等）"));
    group->setObjectName(QStringLiteral("GroupBox3"));
    group->setFixedWidth(241);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(8, 4, 8, 6);
    grid->setVerticalSpacing(5);
    static const char* const labels[][2] = {
        {"Label7", "分類1"}, {"Label8", "分類2"}, {"Label9", "分類3"}};
    static const char* const names[] = {"ComboBoxBunrui1", "ComboBoxBunrui2", "ComboBoxBunrui3"};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(MakeLabel(labels[i][0], labels[i][1], group), i, 0);
        ComboBoxBunrui[i] = MakeColumnList(names[i], group);
        grid->addWidget(ComboBoxBunrui[i], i, 1);
    }
    return group;
}

QGroupBox* TMainForm::MakeNutrientGroup() {
    auto* group = new QGroupBox(QStringLiteral("分析変数（栄養素等）"));
    group->setObjectName(QStringLiteral("GroupBox2"));
    group->setFixedWidth(MiddleWidth);
    auto* layout = new QHBoxLayout(group);
    layout->setContentsMargins(16, 2, 8, 6);
    ComboBoxEiyoso = MakeColumnList("ComboBoxEiyoso", group);
    layout->addWidget(ComboBoxEiyoso);
    layout->addStretch(1);
    return group;
}

QWidget* TMainForm::MakeNormalizeGroup() {
    RadioGroupNormalizeMethod =
        new TRadioGroup(QStringLiteral("RadioGroupNormalizeMethod"), QStringLiteral("正規化"),
                        {QStringLiteral("最良べき乗変換（推奨）"), QStringLiteral("対数変換"),
                         QStringLiteral("無変換"), QStringLiteral("べき数指定 =")});
    RadioGroupNormalizeMethod->setFixedWidth(MiddleWidth);
    RadioGroupNormalizeMethod->SetItemIndex(0);
    EditBekiti = new TClickEdit;
    EditBekiti->setObjectName(QStringLiteral("EditBekiti"));
    EditBekiti->setFixedWidth(73);
    EditBekiti->setEnabled(false);
    RadioGroupNormalizeMethod->PutBeside(3, EditBekiti);
    connect(RadioGroupNormalizeMethod, &TRadioGroup::Click, this,
            [this] { RunCommand(&TMainForm::RadioGroupNormalizeMethodClick); });
    connect(EditBekiti, &TClickEdit::Clicked, this,
            [this] { RunCommand(&TMainForm::EditBekitiClick); });
    return RadioGroupNormalizeMethod;
}

QWidget* TMainForm::MakeHendoGroup() {
    RadioGroupHendo = new TRadioGroup(
        QStringLiteral("RadioGroupHendo"), QStringLiteral("個人内変動（べき数指定時有効）"),
        {QStringLiteral("指定しない"), QStringLiteral("個人内分散　="),
         QStringLiteral("個人内/間分散比 =")});
    RadioGroupHendo->setFixedWidth(MiddleWidth);
    RadioGroupHendo->SetItemIndex(0);
    RadioGroupHendo->setEnabled(false);
    EditVW = new TEnterEdit;
    EditVW->setObjectName(QStringLiteral("EditVW"));
    EditVW->setFixedWidth(65);
    EditVW->setEnabled(false);
    RadioGroupHendo->PutBeside(1, EditVW);
    EditVWBRatio = new TEnterEdit;
    EditVWBRatio->setObjectName(QStringLiteral("EditVWBRatio"));
    EditVWBRatio->setFixedWidth(65);
    EditVWBRatio->setEnabled(false);
    RadioGroupHendo->PutBeside(2, EditVWBRatio);
    connect(EditVW, &TEnterEdit::Entered, this, [this] { RunCommand(&TMainForm::EditVWEnter); });
    connect(EditVWBRatio, &TEnterEdit::Entered, this,
            [this] { RunCommand(&TMainForm::EditVWBRatioEnter); });
    return RadioGroupHendo;
}

QGroupBox* TMainForm::MakeCutOffGroup() {
    auto* group = new QGroupBox(QStringLiteral("カットオフ値（オプション）"));
    group->setObjectName(QStringLiteral("GroupBox4"));
    group->setFixedWidth(209);
    // Shown wherever the pointer rests in the group: its label and edit have
    // no tooltip of their own, so theirs comes from here.
    group->setToolTip(QStringLiteral("末尾に-をつけると'未満'。例） 10 20-  …10以上,20未満"));
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(16, 2, 14, 6);
    layout->setSpacing(3);
    layout->addWidget(MakeLabel("Label5", "スペースで区切って5つまで可", group));
    EditCutOff1 = new QLineEdit(group);
    EditCutOff1->setObjectName(QStringLiteral("EditCutOff1"));
    EditCutOff1->setFixedWidth(177);
    layout->addWidget(EditCutOff1);
    return group;
}

QWidget* TMainForm::MakeOutTypeGroup() {
    RadioGroupOutType =
        new TRadioGroup(QStringLiteral("RadioGroupOutType"), QStringLiteral("計算結果の出力形式"),
                        {QStringLiteral("標準 (*.txt)"), QStringLiteral("カンマ区切り要約 (*.csv)"),
                         QStringLiteral("カンマ区切りデータ (*.csv)")});
    RadioGroupOutType->setFixedWidth(209);
    RadioGroupOutType->SetItemIndex(0);
    return RadioGroupOutType;
}

QWidget* TMainForm::MakeResultsPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet3"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    RichEditKekka = new QPlainTextEdit(page);
    RichEditKekka->setObjectName(QStringLiteral("RichEditKekka"));
    RichEditKekka->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEditKekka->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEditKekka->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEditKekka->setFont(ResultsFont());
    layout->addWidget(RichEditKekka);
    Results = std::make_unique<TResultsView>(RichEditKekka);
    return page;
}

void TMainForm::ConnectCommand(QAction* action, void (TMainForm::*handler)()) {
    connect(action, &QAction::triggered, this, [this, handler] { RunCommand(handler); });
}

void TMainForm::MakeMenus() {
    struct TItem {
        const char* Name;
        const char* Caption;
        void (TMainForm::*Handler)();
    };
    static const TItem fileItems[] = {
        {"FileNewItem", "計算結果・クリア(&N)", &TMainForm::FileNew},
        {"FileOpenItem", "計算結果・開く(&O)...", &TMainForm::FileOpen},
        {"FileSaveAsItem", "計算結果・名前をつけて保存(&A)...", &TMainForm::FileSaveAs},
        {"N1", nullptr, nullptr},
        {"FilePrintItem", "計算結果・印刷(&P)...", &TMainForm::FilePrint},
        {"FilePrintSetupItem", "プリンタの設定(&R)...", &TMainForm::FilePrintSetup},
        {"N4", nullptr, nullptr},
        {"FileExitItem", "終了(&X)", &TMainForm::FileExit},
    };
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    QMenu* fileMenu = bar->addMenu(QStringLiteral("ファイル(&F)"));
    fileMenu->setObjectName(QStringLiteral("FileMenu"));
    for (const TItem& item : fileItems) {
        QAction* action = item.Caption ? fileMenu->addAction(QString::fromUtf8(item.Caption))
                                       : fileMenu->addSeparator();
        action->setObjectName(QString::fromUtf8(item.Name));
        if (item.Handler) ConnectCommand(action, item.Handler);
    }
    QMenu* helpMenu = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    helpMenu->setObjectName(QStringLiteral("HelpMenu"));
    QAction* about = helpMenu->addAction(QStringLiteral("バージョン情報(&A)..."));
    about->setObjectName(QStringLiteral("HelpAboutItem"));
    ConnectCommand(about, &TMainForm::HelpAbout);
}

void TMainForm::SetFocusOrder() {
    QList<QWidget*> order{Button1};
    for (QComboBox* list : ComboBoxID) order << list;
    for (QComboBox* list : ComboBoxBunrui) order << list;
    order << ComboBoxEiyoso;
    for (int i = 0; i < RadioGroupNormalizeMethod->Count(); ++i)
        order << RadioGroupNormalizeMethod->Item(i);
    order << EditCutOff1;
    for (int i = 0; i < RadioGroupOutType->Count(); ++i) order << RadioGroupOutType->Item(i);
    order << ButtonRun << EditBekiti;
    for (int i = 0; i < RadioGroupHendo->Count(); ++i) order << RadioGroupHendo->Item(i);
    order << EditVW << EditVWBRatio;
    for (qsizetype i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);
}

QList<QComboBox*> TMainForm::ColumnLists() const {
    return {ComboBoxID[0],  ComboBoxID[1],     ComboBoxID[2],     ComboBoxID[3],
            ComboBoxEiyoso, ComboBoxBunrui[0], ComboBoxBunrui[1], ComboBoxBunrui[2]};
}

QList<QComboBox*> TMainForm::OptionalColumnLists() const {
    return {ComboBoxID[0],     ComboBoxID[1],     ComboBoxID[2],    ComboBoxID[3],
            ComboBoxBunrui[0], ComboBoxBunrui[1], ComboBoxBunrui[2]};
}

void TMainForm::RunCommand(void (TMainForm::*handler)()) {
    try {
        (this->*handler)();
    } catch (const std::exception& error) {
        ReportError(ErrorMessage(error));
    } catch (...) {
        ReportError(QString());
    }
}

QPrinter& TMainForm::Printer() {
    // Made on first use: finding the printers can take a moment.
    if (!PrinterDevice) PrinterDevice = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *PrinterDevice;
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!Placed) {
        Placed = true;
        if (QScreen* screen = this->screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    About->close();
    Progress->close();
    QMainWindow::closeEvent(event);
}

void TMainForm::HelpAbout() {
    Dialogs->ShowModal(*About);
}
