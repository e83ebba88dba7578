#include "ui/Progress.h"

#include <QCoreApplication>
#include <QProgressBar>

#include "ui/Fonts.h"

TFormProgress::TFormProgress(QWidget* owner)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      Bar(new QProgressBar(this)) {
    setObjectName(QStringLiteral("FormProgress"));
    setWindowTitle(QStringLiteral("FormProgress"));
    setFont(DialogFont(12));
    setFixedSize(381, 49);
    Bar->setObjectName(QStringLiteral("ProgressBar"));
    Bar->setGeometry(24, 12, 337, 17);
    Bar->setRange(0, 100);
    Bar->setValue(0);
    Bar->setTextVisible(false);
}

void TFormProgress::ShowNow() {
    if (QWidget* owner = parentWidget()) {
        const QRect frame = owner->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    PaintOnScreen();
}

void TFormProgress::SetPosition(int position) {
    Bar->setValue(position);
    // A few times a second is enough for the eye.
    if (!SincePainted.isValid() || SincePainted.elapsed() >= 40) PaintOnScreen();
}

void TFormProgress::PaintOnScreen() {
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    SincePainted.start();
}
