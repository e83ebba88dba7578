// Printing the results document.
#pragma once

#include <QFont>
#include <QStringList>

class QPlainTextEdit;
class QPrinter;

// Prints the lines as one job titled title, in the given font, over the
// printer's printable area with no added margins, header, footer or page
// numbers. A line wider than the page continues on the next printed line
// rather than being cut off. When the printer's range is a page range, only
// those pages of the whole layout are printed. Returns false when the
// printer fails.
bool PrintLines(QPrinter& printer, const QStringList& lines, const QFont& font,
                const QString& title);

// The lines of the view's selected text (empty when nothing is selected).
QStringList SelectedLines(const QPlainTextEdit& view);
