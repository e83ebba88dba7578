// Small widgets that report the events the window reacts to.
#pragma once

#include <QLabel>
#include <QLineEdit>

// A line edit that reports receiving the keyboard focus by click or Tab, but
// not when its window is merely activated again.
class TEnterEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
signals:
    void Entered();

protected:
    void focusInEvent(QFocusEvent* event) override;
};

// A line edit that reports a click of the left mouse button.
class TClickEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
signals:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A label that reports a double-click.
class TDblClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void DoubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
