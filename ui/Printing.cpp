#include "ui/Printing.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTextCursor>
#include <QTextLayout>

#include <limits>

namespace {

// Places pieces of text one below the other on pages of the given height and
// draws those that fall on the pages asked for, starting a new sheet only
// between two pages that are printed.
class TPager {
public:
    TPager(QPrinter& printer, qreal height) : Printer(printer), Height(height) {
        if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
            First = printer.fromPage();
            Last = printer.toPage() > 0 ? printer.toPage() : std::numeric_limits<int>::max();
        }
    }

    // Room for a piece of the given height; false when printing can stop
    // (past the last page asked for, or the printer failed).
    bool Reserve(qreal height) {
        if (Y + height > Height && Y > 0) {
            ++Page;
            Y = 0;
        }
        if (Page > Last) return false;
        if (Page >= First && Page != SheetPage) {
            if (SheetPage != 0 && !Printer.newPage()) {
                Failed = true;
                return false;
            }
            SheetPage = Page;
        }
        return true;
    }
    bool Printing() const { return Page >= First && Page <= Last; }
    qreal Top() const { return Y; }
    void Advance(qreal height) { Y += height; }
    bool Ok() const { return !Failed; }

private:
    QPrinter& Printer;
    const qreal Height;
    int First = 1, Last = std::numeric_limits<int>::max();
    int Page = 1;      // page of the layout being filled
    int SheetPage = 0; // layout page the printer's current sheet shows; 0 before the first
    qreal Y = 0;
    bool Failed = false;
};

} // namespace

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
    const qreal spacing = QFontMetricsF(paperFont, &printer).lineSpacing();
    TPager pager(printer, area.height());

    QTextOption option;
    option.setWrapMode(QTextOption::WrapAnywhere);
    bool more = true;
    for (const QString& line : lines) {
        if (!more) break;
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
        if (layout.lineCount() == 0) { // an empty line takes a line's height
            more = pager.Reserve(spacing);
            pager.Advance(spacing);
            continue;
        }
        for (int i = 0; i < layout.lineCount() && more; ++i) {
            const QTextLine piece = layout.lineAt(i);
            more = pager.Reserve(piece.height());
            if (more && pager.Printing()) piece.draw(&painter, QPointF(0, pager.Top() - piece.y()));
            pager.Advance(piece.height());
        }
    }
    return pager.Ok() && painter.end() && printer.printerState() != QPrinter::Error;
}

QStringList SelectedLines(const QPlainTextEdit& view) {
    const QString selected = view.textCursor().selectedText();
    if (selected.isEmpty()) return {};
    // The selection separates its lines by the paragraph separator.
    return selected.split(QChar::ParagraphSeparator);
}
