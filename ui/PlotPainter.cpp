#include "ui/PlotPainter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace plot = habitual::plot;

namespace {

QColor ColorOf(const plot::TColor& c) {
    QColor color(c.R, c.G, c.B);
    color.setAlphaF(static_cast<float>(c.Alpha));
    return color;
}

QPen PenOf(const std::optional<plot::TStroke>& stroke) {
    if (!stroke) return Qt::NoPen;
    QPen pen(ColorOf(stroke->Color), stroke->Width, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin);
    // Qt counts dashes in pen widths.
    const std::vector<double> dashes = plot::DashLengths(*stroke);
    if (!dashes.empty() && stroke->Width > 0) {
        QList<qreal> pattern;
        for (double d : dashes) pattern << d / stroke->Width;
        pen.setDashPattern(pattern);
    }
    return pen;
}

QBrush BrushOf(const std::optional<plot::TColor>& fill) {
    return fill ? QBrush(ColorOf(*fill)) : QBrush(Qt::NoBrush);
}

void DrawPath(QPainter& painter, const plot::TPath& path) {
    QPainterPath shape;
    shape.setFillRule(Qt::WindingFill);
    for (const std::vector<plot::TPoint>& part : path.Parts) {
        if (part.empty()) continue;
        shape.moveTo(part[0].X, part[0].Y);
        for (std::size_t i = 1; i < part.size(); ++i) shape.lineTo(part[i].X, part[i].Y);
        if (path.Closed) shape.closeSubpath();
    }
    painter.setPen(PenOf(path.Stroke));
    painter.setBrush(BrushOf(path.Fill));
    painter.drawPath(shape);
}

// Each marker on its own: one path of thousands of circles takes the raster
// engine far longer to fill and stroke than the circles one by one.
void DrawDots(QPainter& painter, const plot::TDots& dots) {
    painter.setPen(PenOf(dots.Stroke));
    painter.setBrush(BrushOf(dots.Fill));
    for (const plot::TPoint& p : dots.At) {
        const QRectF box(p.X - dots.Size, p.Y - dots.Size, 2 * dots.Size, 2 * dots.Size);
        if (dots.Marker == plot::TMarker::Square)
            painter.drawRect(box);
        else
            painter.drawEllipse(box);
    }
}

// Texts are drawn at the device's own scale, not through the painter's
// scaling: Qt caches glyphs only for untransformed fonts and otherwise fills
// every glyph's outline, many times slower for a PNG at twice the size.
void DrawText(QPainter& painter, const plot::TText& text) {
    const QString s = QString::fromUtf8(text.Text.data(), static_cast<qsizetype>(text.Text.size()));
    const QTransform transform = painter.transform();
    const double scale = std::sqrt(std::fabs(transform.determinant()));
    const QFont font = PlotFont(text.Size * scale, text.Bold);
    const double width = QFontMetricsF(font).horizontalAdvance(s);
    const double shift = text.Anchor == plot::TAnchor::Start    ? 0
                         : text.Anchor == plot::TAnchor::Middle ? width / 2
                                                                : width;
    painter.save();
    painter.resetTransform();
    painter.setFont(font);
    painter.setPen(ColorOf(text.Color));
    painter.translate(transform.map(QPointF(text.At.X, text.At.Y)));
    if (text.Rotation != 0) painter.rotate(text.Rotation);
    painter.drawText(QPointF(-shift, 0), s);
    painter.restore();
}

} // namespace

QFont PlotFont(double pixelSize, bool bold) {
    QFont font;
    QStringList families;
    for (const char* family : plot::FontFamilies) families << QString::fromUtf8(family);
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, static_cast<int>(pixelSize + 0.5)));
    font.setBold(bold);
    return font;
}

void PaintScene(QPainter& painter, const plot::TScene& scene, const QRectF& target) {
    if (!(scene.Width > 0 && scene.Height > 0)) return;
    const double scale = std::min(target.width() / scene.Width, target.height() / scene.Height);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(target.left() + (target.width() - scene.Width * scale) / 2,
                      target.top() + (target.height() - scene.Height * scale) / 2);
    painter.scale(scale, scale);
    for (const plot::TSceneGroup& group : scene.Groups) {
        painter.save();
        if (group.Clip)
            painter.setClipRect(
                QRectF(group.Clip->Left, group.Clip->Top, group.Clip->Width, group.Clip->Height));
        for (const plot::TSceneItem& item : group.Items) {
            if (const auto* path = std::get_if<plot::TPath>(&item.Shape))
                DrawPath(painter, *path);
            else if (const auto* dots = std::get_if<plot::TDots>(&item.Shape))
                DrawDots(painter, *dots);
            else if (const auto* text = std::get_if<plot::TText>(&item.Shape))
                DrawText(painter, *text);
        }
        painter.restore();
    }
    painter.restore();
}

QImage SceneImage(const plot::TScene& scene, double scale) {
    const int w = static_cast<int>(std::ceil(scene.Width * scale));
    const int h = static_cast<int>(std::ceil(scene.Height * scale));
    if (w <= 0 || h <= 0 || w > 16384 || h > 16384) return {};
    QImage image(w, h, QImage::Format_RGB32);
    if (image.isNull()) return {};
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintScene(painter, scene, QRectF(0, 0, w, h));
    return image;
}
