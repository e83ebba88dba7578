#include "ui/BootstrapBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int Levels[] = {90, 95, 99};

} // namespace

TBootstrapBox::TBootstrapBox(QWidget* parent)
    : QGroupBox(QStringLiteral("信頼区間（ブートストラップ）"), parent),
      CheckBoxShinraiKukan(new QCheckBox(QStringLiteral("信頼区間を計算する"), this)),
      EditHanpukuKaisu(new QSpinBox(this)), EditRansuShido(new QLineEdit(this)),
      ComboBoxShinraiSuijun(new QComboBox(this)) {
    setObjectName(QStringLiteral("GroupBoxShinraiKukan"));
    CheckBoxShinraiKukan->setObjectName(QStringLiteral("CheckBoxShinraiKukan"));
    EditHanpukuKaisu->setObjectName(QStringLiteral("EditHanpukuKaisu"));
    EditHanpukuKaisu->setRange(habitual::TBootstrapOptions::MinReplicates,
                               habitual::TBootstrapOptions::MaxReplicates);
    EditHanpukuKaisu->setSingleStep(100);
    EditHanpukuKaisu->setValue(habitual::TBootstrapOptions::DefaultReplicates);
    EditHanpukuKaisu->setSuffix(QStringLiteral(" 回"));
    EditRansuShido->setObjectName(QStringLiteral("EditRansuShido"));
    EditRansuShido->setText(QString::number(habitual::TBootstrapOptions::DefaultSeed));
    EditRansuShido->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,20}")), EditRansuShido));
    ComboBoxShinraiSuijun->setObjectName(QStringLiteral("ComboBoxShinraiSuijun"));
    for (int level : Levels) ComboBoxShinraiSuijun->addItem(QStringLiteral("%1%").arg(level));
    ComboBoxShinraiSuijun->setCurrentIndex(1);

    EditHanpukuKaisu->setFixedWidth(120);
    EditRansuShido->setFixedWidth(180);
    ComboBoxShinraiSuijun->setFixedWidth(80);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CheckBoxShinraiKukan);
    auto* form = new QFormLayout;
    form->setContentsMargins(24, 0, 0, 0);
    form->addRow(QStringLiteral("反復回数"), EditHanpukuKaisu);
    form->addRow(QStringLiteral("乱数シード"), EditRansuShido);
    form->addRow(QStringLiteral("信頼水準"), ComboBoxShinraiSuijun);
    layout->addLayout(form);
    auto* note = new QLabel(
        QStringLiteral(
            "グループごとに、個人を単位とする復元抽出で計算をくり返し、パーセンタイル法の"
            "信頼区間と標準誤差を求めます。同じ乱数シードからは同じ結果が得られます。"
            "調査が単純無作為抽出であることを前提としています。層化や集落抽出を使った調査では、信頼"
            "区間が狭すぎることがあります。"),
        this);
    note->setObjectName(QStringLiteral("LabelShinraiKukanNote"));
    note->setWordWrap(true);
    layout->addWidget(note);

    connect(CheckBoxShinraiKukan, &QCheckBox::toggled, this,
            &TBootstrapBox::CheckBoxShinraiKukanClick);
    CheckBoxShinraiKukanClick();
}

void TBootstrapBox::CheckBoxShinraiKukanClick() {
    const bool on = CheckBoxShinraiKukan->isChecked();
    EditHanpukuKaisu->setEnabled(on);
    EditRansuShido->setEnabled(on);
    ComboBoxShinraiSuijun->setEnabled(on);
}

bool TBootstrapBox::Collect(habitual::TBootstrapOptions& options, QString& problem) const {
    options.Replicates = 0;
    if (!CheckBoxShinraiKukan->isChecked()) return true;
    std::uint64_t seed = 0;
    if (!habitual::ParseSeed(EditRansuShido->text().toStdString(), seed)) {
        problem = QStringLiteral("乱数シードには 0 から 18446744073709551615 までの整数を入力して"
                                 "ください。");
        return false;
    }
    options.Replicates = EditHanpukuKaisu->value();
    options.Seed = seed;
    options.Level = Levels[std::max(0, ComboBoxShinraiSuijun->currentIndex())];
    return true;
}
