#include "ui/Fonts.h"

#include <QFontDatabase>
#include <QFontMetricsF>

namespace {

QString FirstInstalled(std::initializer_list<const char*> families) {
    for (const char* family : families) {
        const QString name = QString::fromUtf8(family);
        if (QFontDatabase::hasFamily(name)) return name;
    }
    return QString();
}

QFont FixedPitch(int pixelSize) {
    const QString family =
        // Japanese Windows has MS Gothic; BIZ UDGothic, also with even
        // half-width cells, where it is missing; IPA's faces elsewhere.
        FirstInstalled({"ＭＳ ゴシック", "MS Gothic", "BIZ UDゴシック", "BIZ UDGothic", "IPAGothic",
                        "IPAゴシック"});
    QFont font =
        family.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont(family);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(pixelSize);
    // Unhinted advances keep a half-width cell at exactly half an em.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

} // namespace

bool HasDoubleWidthCells(const QFont& font) {
    const QFontMetricsF metrics(font);
    // Ten half-width characters against five full-width ones.
    const qreal halves = metrics.horizontalAdvance(QStringLiteral("0123456789"));
    const qreal fulls = metrics.horizontalAdvance(QStringLiteral("あいうえお"));
    return halves > 0 && qAbs(fulls - halves) < 1e-3;
}

QFont ResultsFont() {
    // 15 pixels as designed; an even size where a face rounds half cells.
    QFont font = FixedPitch(15);
    if (!HasDoubleWidthCells(font)) font = FixedPitch(16);
    return font;
}

QFont DialogFont(int pixelSize) {
    const QString family = FirstInstalled({"ＭＳ Ｐゴシック", "MS PGothic", "Yu Gothic UI",
                                           "Meiryo UI", "IPAPGothic", "IPAPゴシック"});
    QFont font;
    if (!family.isEmpty()) font.setFamily(family);
    font.setPixelSize(pixelSize);
    return font;
}

QFont AddressFont(int pixelSize) {
    return FixedPitch(pixelSize);
}
