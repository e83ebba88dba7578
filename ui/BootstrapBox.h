// The group box 信頼区間（ブートストラップ） of the page 詳細設定: whether a run
// computes bootstrap confidence intervals, with the number of replicates,
// the seed and the level. Off at start.
#pragma once

#include <QGroupBox>

#include "engine/Bootstrap.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

class TBootstrapBox : public QGroupBox {
    Q_OBJECT
public:
    explicit TBootstrapBox(QWidget* parent = nullptr);

    // The options of a run as the controls hold them; false, with the
    // message to show, when the seed is not a whole number in range.
    bool Collect(habitual::TBootstrapOptions& options, QString& problem) const;

    // Enables the settings as the check box says.
    void CheckBoxShinraiKukanClick();

private:
    QCheckBox* CheckBoxShinraiKukan;
    QSpinBox* EditHanpukuKaisu;
    QLineEdit* EditRansuShido;
    QComboBox* ComboBoxShinraiSuijun;
};
