// A group box of radio buttons that behaves as one control with an item
// index: -1 when nothing is selected, else 0 … n - 1.
#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& name, const QString& caption, const QStringList& items,
                QWidget* parent = nullptr);

    int ItemIndex() const;
    // Selecting another item, by code as by the user, emits Click(); selecting
    // the item that is already selected does nothing.
    void SetItemIndex(int index);
    int Count() const;
    QRadioButton* Item(int index) const;
    // Places a control on the row of an item, to its right.
    void PutBeside(int index, QWidget* control);

signals:
    void Click();

private:
    void KeepOneTabStop();

    QButtonGroup* Buttons;
    QGridLayout* Grid;
};
