// Printing the results document.
#pragma once

#include <QFont>
#include <QStringList>

class QPrinter;

// Prints the lines as one job titled title, in the given font, over the
// printer's printable area with no added margins, header, footer or page
// numbers. A line wider than the page continues on the next printed line
// rather than being cut off. Returns false when the printer fails.
bool PrintLines(QPrinter& printer, const QStringList& lines, const QFont& font,
                const QString& title);
