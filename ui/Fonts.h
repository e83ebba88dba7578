// The fonts of the windows, chosen among those installed.
#pragma once

#include <QFont>

// The results view's fixed-pitch font: "ＭＳ ゴシック" where it exists, else the
// IPA Gothic of the Debian package fonts-ipafont-gothic, else the system's
// fixed font. Its full-width characters are exactly two half-width cells wide,
// so that the report's space-aligned columns line up.
QFont ResultsFont();

// The proportional Japanese font of the About box and the progress window.
QFont DialogFont(int pixelSize);

// The fixed-pitch font of the About box's address.
QFont AddressFont(int pixelSize);

// True when a full-width character is exactly as wide as two half-width ones.
bool HasDoubleWidthCells(const QFont& font);
