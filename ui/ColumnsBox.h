// The group box 複数の分析変数 of the page 詳細設定: the survey's columns with
// check boxes, "計算する分析変数（複数）". With any checked, a run analyses each
// checked column in turn, in column order, as if it had been chosen in the
// analysis list; with none, the run is the single-column run of the page
// 計算法の指定. The output form that puts every column, group and
// distribution into one comma-separated table is chosen here too, beside
// the three forms of that page.
#pragma once

#include <QGroupBox>

#include <cstdint>
#include <vector>

class QCheckBox;
class QListWidget;
class QPushButton;

class TColumnsBox : public QGroupBox {
    Q_OBJECT
public:
    explicit TColumnsBox(QWidget* parent = nullptr);

    // Offers the survey's columns (their labels, as the column lists show
    // them), all unchecked; the first column cannot be analysed, as in the
    // analysis list, and is not offered.
    void SetColumns(const QStringList& labels);
    // The checked columns, zero-based, in column order.
    std::vector<std::int32_t> CheckedColumns() const;
    // Whether the one-table output form is chosen.
    bool SummaryTable() const;

    void ButtonSubeteClick();
    void ButtonKaijoClick();

private:
    QListWidget* ListBoxBunsekiHensu;
    QPushButton* ButtonSubete;
    QPushButton* ButtonKaijo;
    QCheckBox* CheckBoxYoyakuHyo;
};
