#include "ui/Progress.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>

#include "ui/Fonts.h"

namespace {

constexpr int Width = 381, Height = 49, CancelHeight = 85;

} // namespace

TFormProgress::TFormProgress(QWidget* owner)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      Bar(new QProgressBar(this)), ButtonCancel(new QPushButton(QStringLiteral("中止"), this)) {
    setObjectName(QStringLiteral("FormProgress"));
    setWindowTitle(QStringLiteral("FormProgress"));
    setFont(DialogFont(12));
    setFixedSize(Width, Height);
    Bar->setObjectName(QStringLiteral("ProgressBar"));
    Bar->setGeometry(24, 12, 337, 17);
    Bar->setRange(0, 100);
    Bar->setValue(0);
    Bar->setTextVisible(false);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setGeometry((Width - 75) / 2, 44, 75, 25);
    ButtonCancel->hide();
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormProgress::ButtonCancelClick);
}

void TFormProgress::ShowNow(bool cancel) {
    Cancellable = cancel;
    Cancelled = false;
    ButtonCancel->setVisible(cancel);
    ButtonCancel->setEnabled(true);
    setFixedSize(Width, cancel ? CancelHeight : Height);
    setWindowModality(cancel ? Qt::ApplicationModal : Qt::NonModal);
    if (QWidget* owner = parentWidget()) {
        const QRect frame = owner->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    if (cancel) ButtonCancel->setFocus();
    PaintOnScreen();
}

void TFormProgress::SetPosition(int position) {
    Bar->setValue(position);
    // A few times a second is enough for the eye.
    if (!SincePainted.isValid() || SincePainted.elapsed() >= 40) PaintOnScreen();
}

void TFormProgress::ButtonCancelClick() {
    Cancelled = true;
    ButtonCancel->setEnabled(false);
}

void TFormProgress::closeEvent(QCloseEvent* event) {
    // The window system may still offer to close it: while work can be
    // stopped that means 中止, and the window stays until the work ends.
    if (Cancellable) {
        ButtonCancelClick();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TFormProgress::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Loading shows the window without the button and without modality.
    setWindowModality(Qt::NonModal);
    ButtonCancel->hide();
    Cancellable = false;
}

void TFormProgress::keyPressEvent(QKeyEvent* event) {
    if (Cancellable && event->key() == Qt::Key_Escape) {
        ButtonCancelClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TFormProgress::PaintOnScreen() {
    repaint();
    QCoreApplication::processEvents(Cancellable ? QEventLoop::AllEvents
                                                : QEventLoop::ExcludeUserInputEvents);
    SincePainted.start();
}
