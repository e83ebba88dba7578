#include "ui/RadioGroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

TRadioGroup::TRadioGroup(const QString& name, const QString& caption, const QStringList& items,
                         QWidget* parent)
    : QGroupBox(caption, parent), Buttons(new QButtonGroup(this)), Grid(new QGridLayout(this)) {
    setObjectName(name);
    Grid->setContentsMargins(6, 2, 4, 4);
    Grid->setVerticalSpacing(0);
    Grid->setHorizontalSpacing(0);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        button->setObjectName(name + QString::number(i));
        Buttons->addButton(button, i);
        // An item takes the whole row until a control is put beside it.
        Grid->addWidget(button, i, 0, 1, 2);
    }
    Grid->setColumnStretch(0, 1);
    connect(Buttons, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (!checked) return;
        KeepOneTabStop();
        emit Click();
    });
    KeepOneTabStop();
}

void TRadioGroup::KeepOneTabStop() {
    // The group is one stop of the Tab key, at its selected item (the first
    // when none is selected); the arrow keys move between the items.
    QAbstractButton* stop = Buttons->checkedButton();
    if (!stop && !Buttons->buttons().isEmpty()) stop = Buttons->buttons().constFirst();
    for (QAbstractButton* button : Buttons->buttons())
        button->setFocusPolicy(button == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

int TRadioGroup::ItemIndex() const {
    return Buttons->checkedId();
}

void TRadioGroup::SetItemIndex(int index) {
    if (index == ItemIndex()) return;
    if (QAbstractButton* button = Buttons->button(index)) {
        button->setChecked(true);
    } else if (QAbstractButton* checked = Buttons->checkedButton()) {
        // No item: lift the exclusivity for a moment to clear the selection.
        Buttons->setExclusive(false);
        checked->setChecked(false);
        Buttons->setExclusive(true);
    }
}

int TRadioGroup::Count() const {
    return static_cast<int>(Buttons->buttons().size());
}

QRadioButton* TRadioGroup::Item(int index) const {
    return qobject_cast<QRadioButton*>(Buttons->button(index));
}

void TRadioGroup::PutBeside(int index, QWidget* control) {
    QRadioButton* button = Item(index);
    if (!button) return;
    control->setParent(this);
    Grid->removeWidget(button);
    Grid->addWidget(button, index, 0);
    Grid->addWidget(control, index, 1, Qt::AlignRight | Qt::AlignVCenter);
}
