#include "ui/OptionsPage.h"

#include <QGroupBox>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

TOptionsPage::TOptionsPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheetOptions"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("ScrollBoxOptions"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* inner = new QWidget(scroll);
    Groups = new QVBoxLayout(inner);
    Groups->setContentsMargins(12, 10, 12, 10);
    Groups->setSpacing(10);
    auto* note =
        new QLabel(QStringLiteral("ここでの設定は「計算法の指定」ページの設定に加えて使われます。"
                                  "何も指定しなければ、計算結果は従来どおりです。"),
                   inner);
    note->setObjectName(QStringLiteral("LabelOptionsNote"));
    note->setWordWrap(true);
    Groups->addWidget(note);
    Groups->addStretch(1);
    scroll->setWidget(inner);
    outer->addWidget(scroll);
}

void TOptionsPage::AddGroup(QGroupBox* group) {
    // Above the stretch that keeps the groups at the top.
    Groups->insertWidget(Groups->count() - 1, group);
}
