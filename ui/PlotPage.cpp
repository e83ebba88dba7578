#include "ui/PlotPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "engine/Encoding.h"
#include "plot/GroupTexts.h"
#include "ui/PlotView.h"
#include "ui/WaitCursor.h"

namespace {

const char* const NoRunText =
    "計算を実行すると、分析したグループごとの分布図がここに表示されます。";

} // namespace

TPlotPage::TPlotPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheetBunpuzu"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(8);
    layout->addWidget(MakeCommandColumn());

    PageControlBunpuzu = new QTabWidget(this);
    PageControlBunpuzu->setObjectName(QStringLiteral("PageControlBunpuzu"));
    static const char* const names[] = {"PaintBoxHindo", "PaintBoxRuiseki", "PaintBoxSeiki"};
    static const char* const captions[] = {"1日と習慣の分布", "累積分布", "正規確率プロット"};
    for (int i = 0; i < 3; ++i) {
        PaintBox[i] = new TPlotView(names[i]);
        PageControlBunpuzu->addTab(PaintBox[i], QString::fromUtf8(captions[i]));
    }
    layout->addWidget(PageControlBunpuzu, 1);
    Clear();
}

QWidget* TPlotPage::MakeCommandColumn() {
    auto* column = new QWidget(this);
    column->setFixedWidth(190);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    LabelBunrui = new QLabel(QStringLiteral("グループ"), column);
    LabelBunrui->setObjectName(QStringLiteral("LabelBunrui"));
    layout->addWidget(LabelBunrui);
    ListBoxBunrui = new QListWidget(column);
    ListBoxBunrui->setObjectName(QStringLiteral("ListBoxBunrui"));
    ListBoxBunrui->setTextElideMode(Qt::ElideRight);
    LabelBunrui->setBuddy(ListBoxBunrui);
    connect(ListBoxBunrui, &QListWidget::currentRowChanged, this, [this] { ListBoxBunruiClick(); });
    layout->addWidget(ListBoxBunrui, 1);

    CheckBoxTaisu = new QCheckBox(QStringLiteral("摂取量の軸を対数目盛にする"), column);
    CheckBoxTaisu->setObjectName(QStringLiteral("CheckBoxTaisu"));
    connect(CheckBoxTaisu, &QCheckBox::toggled, this, [this] { CheckBoxTaisuClick(); });
    layout->addWidget(CheckBoxTaisu);

    auto* save = new QGroupBox(QStringLiteral("保存"), column);
    save->setObjectName(QStringLiteral("GroupBoxHozon"));
    auto* saveLayout = new QVBoxLayout(save);
    auto* formatRow = new QHBoxLayout;
    auto* formatLabel = new QLabel(QStringLiteral("形式"), save);
    ComboBoxKeishiki = new QComboBox(save);
    ComboBoxKeishiki->setObjectName(QStringLiteral("ComboBoxKeishiki"));
    // In the order of TPlotFormat.
    ComboBoxKeishiki->addItems(
        {QStringLiteral("PNG 画像"), QStringLiteral("SVG 画像"), QStringLiteral("PDF 文書")});
    formatLabel->setBuddy(ComboBoxKeishiki);
    formatRow->addWidget(formatLabel);
    formatRow->addWidget(ComboBoxKeishiki, 1);
    saveLayout->addLayout(formatRow);
    ButtonHozon = new QPushButton(QStringLiteral("表示中の図を保存..."), save);
    ButtonHozon->setObjectName(QStringLiteral("ButtonHozon"));
    saveLayout->addWidget(ButtonHozon);
    ButtonZenHozon = new QPushButton(QStringLiteral("全グループを保存..."), save);
    ButtonZenHozon->setObjectName(QStringLiteral("ButtonZenHozon"));
    saveLayout->addWidget(ButtonZenHozon);
    layout->addWidget(save);
    return column;
}

void TPlotPage::SetResults(std::vector<habitual::TGroupResult> results) {
    Groups = std::move(results);
    {
        const QSignalBlocker block(ListBoxBunrui);
        ListBoxBunrui->clear();
        // The groups by their classification pieces; the analysis column,
        // the same for all, above the list, or before each group in a run of
        // several columns.
        for (const habitual::TGroupResult& r : Groups) {
            QString text =
                r.Heading.ClassLine
                    ? QString::fromStdString(habitual::Cp932ToUtf8(r.Heading.ClassPieces()))
                    : QStringLiteral("（分類なし）");
            if (SeveralColumns())
                text = QString::fromStdString(
                           habitual::Cp932ToUtf8("[" + r.Heading.NutrientName + "]")) +
                       text;
            auto* item = new QListWidgetItem(text, ListBoxBunrui);
            item->setToolTip(QString::fromStdString(habitual::plot::HeadingText(r.Heading)));
        }
        if (!Groups.empty()) ListBoxBunrui->setCurrentRow(0);
    }
    LabelBunrui->setText(
        Groups.empty() ? QStringLiteral("グループ")
        : SeveralColumns()
            ? QStringLiteral("グループ（複数の分析変数）")
            : QStringLiteral("グループ（") +
                  QString::fromStdString(habitual::plot::NutrientText(Groups[0].Heading)) +
                  QStringLiteral("）"));
    ShowGroup();
}

void TPlotPage::Clear() {
    SetResults({});
}

int TPlotPage::CurrentGroup() const {
    const int row = ListBoxBunrui->currentRow();
    return row >= 0 && static_cast<std::size_t>(row) < Groups.size() ? row : -1;
}

int TPlotPage::CurrentFigure() const {
    return PageControlBunpuzu->currentIndex();
}

bool TPlotPage::SeveralColumns() const {
    for (const habitual::TGroupResult& r : Groups)
        if (r.Heading.NutrientName != Groups.front().Heading.NutrientName) return true;
    return false;
}

habitual::plot::TPlotOptions TPlotPage::Options() const {
    habitual::plot::TPlotOptions options;
    options.ColumnInNames = SeveralColumns();
    options.LogAxis = CheckBoxTaisu->isChecked();
    return options;
}

const habitual::plot::TFigure* TPlotPage::CurrentFigureShown() const {
    const int figure = CurrentFigure();
    return figure >= 0 && figure < 3 ? PaintBox[figure]->Figure() : nullptr;
}

TPlotFormat TPlotPage::Format() const {
    return static_cast<TPlotFormat>(ComboBoxKeishiki->currentIndex());
}

void TPlotPage::ListBoxBunruiClick() {
    ShowGroup();
}

void TPlotPage::CheckBoxTaisuClick() {
    ShowGroup();
}

void TPlotPage::ShowGroup() {
    const int group = CurrentGroup();
    if (group < 0) {
        for (TPlotView* view : PaintBox) view->SetText(QString::fromUtf8(NoRunText));
    } else {
        TWaitCursor wait;
        const habitual::plot::TGroupFigures figures =
            habitual::plot::GroupFigures(Groups[static_cast<std::size_t>(group)], Options());
        PaintBox[0]->SetFigure(figures.Histogram);
        PaintBox[1]->SetFigure(figures.Cumulative);
        PaintBox[2]->SetFigure(figures.Normal);
    }
    EnableCommands();
}

void TPlotPage::EnableCommands() {
    const bool any = !Groups.empty();
    ButtonHozon->setEnabled(CurrentGroup() >= 0);
    ButtonZenHozon->setEnabled(any);
}
