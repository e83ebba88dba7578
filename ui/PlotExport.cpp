#include "ui/PlotExport.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "plot/Layout.h"
#include "plot/PlotFolder.h"
#include "plot/Svg.h"
#include "ui/PlotPainter.h"

namespace plot = habitual::plot;

namespace {

// PDF pages are drawn at this resolution; the figures stay vector shapes.
constexpr int PdfResolution = 600;
// A canvas unit of a one-figure PDF, in points: 800 units are 15 cm.
constexpr double PointsPerUnit = 0.53;

bool TakeBuffer(QBuffer& buffer, std::string& bytes) {
    const QByteArray& data = buffer.data();
    if (data.isEmpty()) return false;
    bytes.assign(data.constData(), static_cast<std::size_t>(data.size()));
    return true;
}

void SetPage(QPdfWriter& writer, const QPageSize& size, const QMarginsF& margins) {
    writer.setResolution(PdfResolution);
    writer.setPageLayout(
        QPageLayout(size, QPageLayout::Portrait, margins, QPageLayout::Millimeter));
    writer.setCreator(QStringLiteral("Habitual"));
}

} // namespace

TPlotFormat FormatOfName(const QString& path, TPlotFormat fallback) {
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("png")) return TPlotFormat::Png;
    if (ext == QLatin1String("svg")) return TPlotFormat::Svg;
    if (ext == QLatin1String("pdf")) return TPlotFormat::Pdf;
    return fallback;
}

bool PngBytes(const plot::TScene& scene, std::string& bytes) {
    const QImage image = SceneImage(scene, plot::PngScale);
    if (image.isNull()) return false;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    // Qt maps quality q to zlib level (100 - q) * 9 / 91: 85 is level 1, the
    // fastest that compresses; the default level takes several times as long
    // for files not much smaller, on a plot's flat colours.
    if (!image.save(&buffer, "PNG", 85)) return false;
    return TakeBuffer(buffer, bytes);
}

bool FigureBytes(const plot::TScene& scene, TPlotFormat format, std::string& bytes) {
    switch (format) {
    case TPlotFormat::Svg:
        bytes = plot::SvgDocument(scene);
        return true;
    case TPlotFormat::Pdf: {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        {
            QPdfWriter writer(&buffer);
            SetPage(writer,
                    QPageSize(QSizeF(scene.Width * PointsPerUnit, scene.Height * PointsPerUnit),
                              QPageSize::Point, QString(), QPageSize::ExactMatch),
                    QMarginsF());
            writer.setTitle(QString::fromStdString(scene.Title));
            QPainter painter;
            if (!painter.begin(&writer)) return false;
            PaintScene(painter, scene,
                       QRectF(QPointF(0, 0), QSizeF(writer.width(), writer.height())));
            painter.end();
        }
        return TakeBuffer(buffer, bytes);
    }
    case TPlotFormat::Png:
    default:
        return PngBytes(scene, bytes);
    }
}

bool GroupsPdf(const std::vector<habitual::TGroupResult>& groups, const plot::TPlotOptions& options,
               std::string& bytes, const std::function<bool(std::size_t)>& progress) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        SetPage(writer, QPageSize(QPageSize::A4), QMarginsF(12, 12, 12, 12));
        writer.setTitle(QStringLiteral("分布図"));
        QPainter painter;
        if (!painter.begin(&writer)) return false;
        const double width = writer.width(), height = writer.height();
        const double mm = PdfResolution / 25.4;
        for (std::size_t k = 0; k < groups.size(); ++k) {
            if (progress && !progress(k)) {
                painter.end();
                return false;
            }
            if (k > 0) writer.newPage();
            // The heading as the results document shows it, then the figures.
            painter.setFont(PlotFont(3.6 * mm));
            painter.setPen(Qt::black);
            double y = 0;
            for (const std::string& line : plot::HeadingLines(groups[k].Heading)) {
                y += 5 * mm;
                painter.drawText(QPointF(0, y), QString::fromStdString(line));
            }
            y += 3 * mm;
            const plot::TGroupFigures figures = plot::GroupFigures(groups[k], options);
            const double each = (height - y) / 3;
            for (const plot::TFigure* figure :
                 {&figures.Histogram, &figures.Cumulative, &figures.Normal}) {
                PaintScene(painter, plot::LayOut(*figure), QRectF(0, y, width, each - 2 * mm));
                y += each;
            }
        }
        painter.end();
    }
    return TakeBuffer(buffer, bytes);
}
