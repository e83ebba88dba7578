#include "ui/Printing.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

bool PrintLines(QPrinter& printer, const QStringList& lines, const QFont& font,
                const QString& title) {
    printer.setDocName(title);
    printer.setFullPage(false); // the painter's origin is the printable area's corner
    QPainter painter;
    if (!painter.begin(&printer)) return false;

    // The view's font is sized in screen pixels; keep its size on paper.
    QFont paperFont(font, &printer);
    if (font.pixelSize() > 0) paperFont.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
    painter.setFont(paperFont);
    const QRectF area = printer.pageRect(QPrinter::DevicePixel);
    const qreal width = area.width();
    const qreal height = area.height();
    const qreal spacing = QFontMetricsF(paperFont, &printer).lineSpacing();

    QTextOption option;
    option.setWrapMode(QTextOption::WrapAnywhere);
    qreal y = 0;
    for (const QString& line : lines) {
        QTextLayout layout(line, paperFont, &printer);
        layout.setTextOption(option);
        layout.beginLayout();
        qreal inner = 0;
        for (QTextLine piece = layout.createLine(); piece.isValid(); piece = layout.createLine()) {
            piece.setLineWidth(width);
            piece.setPosition(QPointF(0, inner));
            inner += piece.height();
        }
        layout.endLayout();
        if (layout.lineCount() == 0) {
            if (y + spacing > height && y > 0) {
                if (!printer.newPage()) return false;
                y = 0;
            }
            y += spacing;
            continue;
        }
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine piece = layout.lineAt(i);
            if (y + piece.height() > height && y > 0) {
                if (!printer.newPage()) return false;
                y = 0;
            }
            piece.draw(&painter, QPointF(0, y - piece.y()));
            y += piece.height();
        }
    }
    return painter.end() && printer.printerState() != QPrinter::Error;
}
