#include "ui/PathLabel.h"

#include <QPainter>
#include <QStyle>

void TPathLabel::SetPath(const QString& path) {
    setText(path);
    setToolTip(path);
}

QString TPathLabel::ShownText(int width) const {
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, width);
}

QSize TPathLabel::sizeHint() const {
    return minimumSizeHint();
}

QSize TPathLabel::minimumSizeHint() const {
    return {minimumWidth(), QLabel::minimumSizeHint().height()};
}

void TPathLabel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event); // the sunken frame
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(margin() + 2, 0, -margin() - 2, 0);
    style()->drawItemText(&painter, area, int(alignment()), palette(), isEnabled(),
                          ShownText(area.width()), foregroundRole());
}
