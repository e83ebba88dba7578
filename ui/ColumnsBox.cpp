#include "ui/ColumnsBox.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TColumnsBox::TColumnsBox(QWidget* parent)
    : QGroupBox(QStringLiteral("複数の分析変数"), parent),
      ListBoxBunsekiHensu(new QListWidget(this)),
      ButtonSubete(new QPushButton(QStringLiteral("すべて選ぶ"), this)),
      ButtonKaijo(new QPushButton(QStringLiteral("選択を解除"), this)),
      CheckBoxYoyakuHyo(new QCheckBox(
          QStringLiteral("出力形式：カンマ区切り要約表（すべての分析変数・グループを一つの表に、"
                         "*.csv）"),
          this)) {
    setObjectName(QStringLiteral("GroupBoxFukusuHensu"));
    ListBoxBunsekiHensu->setObjectName(QStringLiteral("ListBoxBunsekiHensu"));
    ButtonSubete->setObjectName(QStringLiteral("ButtonSubete"));
    ButtonKaijo->setObjectName(QStringLiteral("ButtonKaijo"));
    CheckBoxYoyakuHyo->setObjectName(QStringLiteral("CheckBoxYoyakuHyo"));
    ListBoxBunsekiHensu->setSelectionMode(QAbstractItemView::NoSelection);
    ListBoxBunsekiHensu->setMinimumHeight(120);

    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QStringLiteral("計算する分析変数（複数）"), this);
    title->setBuddy(ListBoxBunsekiHensu);
    layout->addWidget(title);
    layout->addWidget(ListBoxBunsekiHensu);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ButtonSubete);
    buttons->addWidget(ButtonKaijo);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    auto* note = new QLabel(
        QStringLiteral("チェックした列があると、「計算実行」でチェックした列を列の順に一つずつ"
                       "計算し、計算結果を続けて出力します（調査データの読み込みは1回です）。"
                       "チェックがなければ、「計算法の指定」ページの分析変数を計算します。"),
        this);
    note->setObjectName(QStringLiteral("LabelFukusuHensuNote"));
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addWidget(CheckBoxYoyakuHyo);

    connect(ButtonSubete, &QPushButton::clicked, this, &TColumnsBox::ButtonSubeteClick);
    connect(ButtonKaijo, &QPushButton::clicked, this, &TColumnsBox::ButtonKaijoClick);
}

void TColumnsBox::SetColumns(const QStringList& labels) {
    ListBoxBunsekiHensu->clear();
    for (int c = 1; c < labels.size(); ++c) {
        auto* item = new QListWidgetItem(labels[c], ListBoxBunsekiHensu);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        item->setCheckState(Qt::Unchecked);
        item->setData(Qt::UserRole, c);
    }
}

std::vector<std::int32_t> TColumnsBox::CheckedColumns() const {
    std::vector<std::int32_t> columns;
    for (int i = 0; i < ListBoxBunsekiHensu->count(); ++i) {
        const QListWidgetItem* item = ListBoxBunsekiHensu->item(i);
        if (item->checkState() == Qt::Checked) columns.push_back(item->data(Qt::UserRole).toInt());
    }
    return columns;
}

bool TColumnsBox::SummaryTable() const {
    return CheckBoxYoyakuHyo->isChecked();
}

void TColumnsBox::ButtonSubeteClick() {
    for (int i = 0; i < ListBoxBunsekiHensu->count(); ++i)
        ListBoxBunsekiHensu->item(i)->setCheckState(Qt::Checked);
}

void TColumnsBox::ButtonKaijoClick() {
    for (int i = 0; i < ListBoxBunsekiHensu->count(); ++i)
        ListBoxBunsekiHensu->item(i)->setCheckState(Qt::Unchecked);
}
