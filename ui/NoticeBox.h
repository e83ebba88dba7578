// The group box 注意事項 of the page 詳細設定: whether the notices about the
// groups go into the results document as well. Off at start; the notices are
// shown in the panel below the pages in any case.
#pragma once

#include <QGroupBox>

class QCheckBox;

class TNoticeBox : public QGroupBox {
    Q_OBJECT
public:
    explicit TNoticeBox(QWidget* parent = nullptr);

    bool NoticesInResults() const;

private:
    QCheckBox* CheckBoxChuiJikoKekka;
};
