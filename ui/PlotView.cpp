#include "ui/PlotView.h"

#include <QPainter>

#include <algorithm>

#include "plot/Layout.h"
#include "ui/PlotPainter.h"

namespace {

// The smallest canvas a figure is laid out on; a smaller widget shows it
// scaled down.
constexpr double SmallestWidth = 560, SmallestHeight = 400;
constexpr int Border = 4;

} // namespace

TPlotView::TPlotView(const char* name, QWidget* parent) : QWidget(parent) {
    setObjectName(QString::fromUtf8(name));
    setMinimumSize(320, 224);
}

void TPlotView::SetFigure(habitual::plot::TFigure figure) {
    Shown = std::move(figure);
    Message.clear();
    LayOutForSize();
    update();
}

void TPlotView::SetText(const QString& text) {
    Shown.reset();
    Drawn = {};
    Message = text;
    update();
}

void TPlotView::LayOutForSize() {
    if (!Shown) return;
    habitual::plot::TFigure figure = *Shown;
    figure.Width = std::max(SmallestWidth, static_cast<double>(width() - 2 * Border));
    figure.Height = std::max(SmallestHeight, static_cast<double>(height() - 2 * Border));
    Drawn = habitual::plot::LayOut(figure);
}

void TPlotView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOutForSize();
}

void TPlotView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (Shown) {
        PaintScene(painter, Drawn, QRectF(rect()).adjusted(Border, Border, -Border, -Border));
    } else {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(rect().adjusted(16, 16, -16, -16), Qt::AlignCenter | Qt::TextWordWrap,
                         Message);
    }
}
