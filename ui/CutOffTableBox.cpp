#include "ui/CutOffTableBox.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "ui/PathLabel.h"

TCutOffTableBox::TCutOffTableBox(QWidget* parent)
    : QGroupBox(QStringLiteral("カットオフ値の表（グループ・分析変数ごと）"), parent),
      PanelCutOffTable(new TPathLabel(this)), LabelHyoGyosu(new QLabel(this)),
      ButtonHyoHiraku(new QPushButton(QStringLiteral("開く"), this)),
      ButtonHyoClear(new QPushButton(QStringLiteral("クリア"), this)) {
    setObjectName(QStringLiteral("GroupBoxCutOffHyo"));
    PanelCutOffTable->setObjectName(QStringLiteral("PanelCutOffTable"));
    PanelCutOffTable->setFrameShape(QFrame::Panel);
    PanelCutOffTable->setFrameShadow(QFrame::Sunken);
    LabelHyoGyosu->setObjectName(QStringLiteral("LabelHyoGyosu"));
    LabelHyoGyosu->setWordWrap(true);
    ButtonHyoHiraku->setObjectName(QStringLiteral("ButtonHyoHiraku"));
    ButtonHyoClear->setObjectName(QStringLiteral("ButtonHyoClear"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(ButtonHyoHiraku, 0, 0);
    layout->addWidget(PanelCutOffTable, 0, 1);
    layout->addWidget(ButtonHyoClear, 0, 2);
    layout->addWidget(LabelHyoGyosu, 1, 0, 1, 3);
    layout->setColumnStretch(1, 1);
    auto* note = new QLabel(
        QStringLiteral("見出し行が分類変数の列名（いくつでも）、「分析変数」、「カットオフ値」の"
                       "CSV ファイルです。各グループ・分析変数には、当てはまる行のうち分類の指定が"
                       "最も多い行のカットオフ値を使います（空欄の分類はすべてに当てはまります）。"
                       "当てはまる行がなければ「計算法の指定」ページのカットオフ値を使います。"),
        this);
    note->setObjectName(QStringLiteral("LabelCutOffHyoNote"));
    note->setWordWrap(true);
    layout->addWidget(note, 2, 0, 1, 3);
    Clear();
}

void TCutOffTableBox::SetTable(const QString& path, int rows, const QStringList& classNames) {
    PanelCutOffTable->SetPath(path);
    QString text = QStringLiteral("%1 行を読み込みました。").arg(rows);
    if (!classNames.isEmpty())
        text += QStringLiteral("分類変数: %1").arg(classNames.join(QStringLiteral("、")));
    LabelHyoGyosu->setText(text);
    ButtonHyoClear->setEnabled(true);
}

void TCutOffTableBox::Clear() {
    PanelCutOffTable->SetPath(QString());
    LabelHyoGyosu->setText(QStringLiteral("表は使いません。"));
    ButtonHyoClear->setEnabled(false);
}

QString TCutOffTableBox::Path() const {
    return PanelCutOffTable->text();
}
