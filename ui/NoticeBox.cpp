#include "ui/NoticeBox.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

TNoticeBox::TNoticeBox(QWidget* parent)
    : QGroupBox(QStringLiteral("注意事項"), parent),
      CheckBoxChuiJikoKekka(new QCheckBox(QStringLiteral("注意事項を計算結果にも書き出す"), this)) {
    setObjectName(QStringLiteral("GroupBoxChuiJiko"));
    CheckBoxChuiJikoKekka->setObjectName(QStringLiteral("CheckBoxChuiJikoKekka"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CheckBoxChuiJikoKekka);
    auto* note = new QLabel(
        QStringLiteral("人数が少ない、複数日調査の人数が少ない、摂取量0の日が多いなど、"
                       "推定の信頼性に関わる注意事項は、計算のたびに画面下の「注意事項」欄に"
                       "表示されます。"),
        this);
    note->setObjectName(QStringLiteral("LabelChuiJikoNote"));
    note->setWordWrap(true);
    layout->addWidget(note);
}

bool TNoticeBox::NoticesInResults() const {
    return CheckBoxChuiJikoKekka->isChecked();
}
