// The group box カットオフ値の表 of the page 詳細設定: the table of cut-off texts
// per group and analysis column that a run uses in place of the cut-off
// edit where a row matches, with how many rows it has. The window reads the
// table when it is chosen (TMainForm::ButtonCutOffTableClick) and again at
// each run; this box only shows it.
#pragma once

#include <QGroupBox>

class QLabel;
class QPushButton;
class TPathLabel;

class TCutOffTableBox : public QGroupBox {
    Q_OBJECT
public:
    explicit TCutOffTableBox(QWidget* parent = nullptr);

    // Shows a table that was read: its path and what it holds.
    void SetTable(const QString& path, int rows, const QStringList& classNames);
    void Clear();
    // The table's path; empty when none is chosen.
    QString Path() const;

    QPushButton* OpenButton() const { return ButtonHyoHiraku; }
    QPushButton* ClearButton() const { return ButtonHyoClear; }

private:
    TPathLabel* PanelCutOffTable;
    QLabel* LabelHyoGyosu;
    QPushButton* ButtonHyoHiraku;
    QPushButton* ButtonHyoClear;
};
