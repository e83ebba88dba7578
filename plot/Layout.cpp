#include "plot/Layout.h"

#include <algorithm>
#include <cmath>

#include "plot/Numbers.h"
#include "plot/Ticks.h"

namespace habitual::plot {
namespace {

// Sizes of the canvas' parts, in canvas units.
constexpr double Margin = 16;
constexpr double TitleSize = 17, SubtitleSize = 13, LegendSize = 13, NoteSize = 12;
constexpr double TickSize = 12, AxisTitleSize = 13, TickLength = 5;
constexpr double PanelGap = 28;

const TColor Black{0, 0, 0};
const TColor White{255, 255, 255};
const TColor Grey{110, 110, 110};
const TColor GridGrey{225, 225, 225};

// text cut to fit width, ending in "…" where it was cut.
std::string Fitted(const std::string& text, double size, double width) {
    if (TextWidth(text, size) <= width) return text;
    std::string cut = text;
    while (!cut.empty() && TextWidth(cut, size) + size > width) {
        // Back to the start of the last character.
        std::size_t end = cut.size() - 1;
        while (end > 0 && (static_cast<unsigned char>(cut[end]) & 0xC0) == 0x80) --end;
        cut.resize(end);
    }
    return cut + "…";
}

double Transformed(TScale scale, double v) {
    return scale == TScale::Log ? std::log10(v) : v;
}

TSceneItem Item(std::string id, TPath path) {
    return {std::move(id), std::move(path)};
}

TSceneItem TextItem(TPoint at, std::string text, double size, TAnchor anchor = TAnchor::Start,
                    bool bold = false, TColor color = Black, double rotation = 0) {
    return {{}, TText{at, std::move(text), size, anchor, bold, rotation, color}};
}

TPath Rectangle(const TRect& r, std::optional<TStroke> stroke, std::optional<TColor> fill) {
    TPath path;
    path.Parts.push_back({{r.Left, r.Top},
                          {r.Left + r.Width, r.Top},
                          {r.Left + r.Width, r.Top + r.Height},
                          {r.Left, r.Top + r.Height}});
    path.Closed = true;
    path.Stroke = stroke;
    path.Fill = fill;
    return path;
}

TPath Segment(TPoint a, TPoint b, TStroke stroke) {
    TPath path;
    path.Parts.push_back({a, b});
    path.Stroke = stroke;
    return path;
}

// The series' points on the canvas, split where a point has no place.
std::vector<std::vector<TPoint>> Polyline(const std::vector<double>& xs,
                                          const std::vector<double>& ys, const TMapping& mx,
                                          const TMapping& my) {
    std::vector<std::vector<TPoint>> parts(1);
    const std::size_t n = std::min(xs.size(), ys.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (mx.Maps(xs[i]) && my.Maps(ys[i])) {
            parts.back().push_back({mx(xs[i]), my(ys[i])});
        } else if (!parts.back().empty()) {
            parts.emplace_back();
        }
    }
    if (parts.back().empty()) parts.pop_back();
    return parts;
}

// A histogram's outline from 0 up and along the bins' tops, back to 0.
std::vector<std::vector<TPoint>> StepOutline(const TSeries& s, const TMapping& mx,
                                             const TMapping& my) {
    std::vector<std::vector<TPoint>> parts(1);
    if (s.X.size() < 2 || s.Y.size() + 1 < s.X.size()) return {};
    const double base = my(my.Scale == TScale::Log ? my.Min : std::max(0.0, my.Min));
    for (std::size_t i = 0; i + 1 < s.X.size(); ++i) {
        if (!mx.Maps(s.X[i]) || !mx.Maps(s.X[i + 1]) || !my.Maps(s.Y[i])) continue;
        std::vector<TPoint>& part = parts.back();
        const double left = mx(s.X[i]), right = mx(s.X[i + 1]), top = my(s.Y[i]);
        if (part.empty() || part.back().X != left) {
            if (!part.empty()) part.push_back({part.back().X, base});
            part.push_back({left, base});
        }
        part.push_back({left, top});
        part.push_back({right, top});
    }
    if (parts.back().empty()) return {};
    parts.back().push_back({parts.back().back().X, base});
    return parts;
}

std::vector<std::vector<TPoint>> BarRectangles(const TSeries& s, const TMapping& mx,
                                               const TMapping& my) {
    std::vector<std::vector<TPoint>> parts;
    const double base = my(my.Scale == TScale::Log ? my.Min : std::max(0.0, my.Min));
    for (std::size_t i = 0; i + 1 < s.X.size() && i < s.Y.size(); ++i) {
        if (!mx.Maps(s.X[i]) || !mx.Maps(s.X[i + 1]) || !my.Maps(s.Y[i]) || !(s.Y[i] > 0)) continue;
        const double left = mx(s.X[i]), right = mx(s.X[i + 1]), top = my(s.Y[i]);
        parts.push_back({{left, base}, {left, top}, {right, top}, {right, base}});
    }
    return parts;
}

// Rows i where both ends have a place; a row without breaks the band.
std::vector<std::vector<TPoint>> BandPolygons(const TSeries& s, const TMapping& mx,
                                              const TMapping& my) {
    std::vector<std::vector<TPoint>> parts;
    const std::size_t n = std::min({s.X.size(), s.X2.size(), s.Y.size()});
    std::vector<TPoint> lower, upper;
    auto close = [&] {
        if (lower.size() >= 2) {
            std::vector<TPoint> polygon = lower;
            polygon.insert(polygon.end(), upper.rbegin(), upper.rend());
            parts.push_back(std::move(polygon));
        }
        lower.clear();
        upper.clear();
    };
    for (std::size_t i = 0; i < n; ++i) {
        if (mx.Maps(s.X[i]) && mx.Maps(s.X2[i]) && my.Maps(s.Y[i])) {
            lower.push_back({mx(s.X[i]), my(s.Y[i])});
            upper.push_back({mx(s.X2[i]), my(s.Y[i])});
        } else {
            close();
        }
    }
    close();
    return parts;
}

TSceneItem SeriesItem(const TSeries& s, const TMapping& mx, const TMapping& my) {
    const std::optional<TStroke> stroke =
        s.Stroke.Width > 0 ? std::optional<TStroke>(s.Stroke) : std::nullopt;
    switch (s.Kind) {
    case TSeries::TKind::Points: {
        TDots dots;
        const std::size_t n = std::min(s.X.size(), s.Y.size());
        for (std::size_t i = 0; i < n; ++i)
            if (mx.Maps(s.X[i]) && my.Maps(s.Y[i])) dots.At.push_back({mx(s.X[i]), my(s.Y[i])});
        dots.Marker = s.Marker;
        dots.Size = s.MarkerSize;
        dots.Stroke = stroke;
        dots.Fill = s.Fill;
        return {s.Id, std::move(dots)};
    }
    case TSeries::TKind::Steps:
        return Item(s.Id, {StepOutline(s, mx, my), true, stroke, s.Fill});
    case TSeries::TKind::Bars:
        return Item(s.Id, {BarRectangles(s, mx, my), true, stroke, s.Fill});
    case TSeries::TKind::Band:
        return Item(s.Id, {BandPolygons(s, mx, my), true, stroke, s.Fill});
    case TSeries::TKind::Line:
    default:
        return Item(s.Id, {Polyline(s.X, s.Y, mx, my), false, stroke, std::nullopt});
    }
}

// The small picture of a series in the legend, in a box of 28 x 12 whose
// left middle is at.
TSceneItem LegendSample(const TSeries& s, TPoint at) {
    const std::optional<TStroke> stroke =
        s.Stroke.Width > 0 ? std::optional<TStroke>(s.Stroke) : std::nullopt;
    switch (s.Kind) {
    case TSeries::TKind::Points: {
        TDots dots{{{at.X + 14, at.Y}}, s.Marker, s.MarkerSize, stroke, s.Fill};
        return {{}, std::move(dots)};
    }
    case TSeries::TKind::Line:
        return Item({}, Segment({at.X, at.Y}, {at.X + 28, at.Y}, s.Stroke));
    default:
        return Item({}, Rectangle({at.X + 2, at.Y - 6, 24, 12}, stroke, s.Fill));
    }
}

struct TPanelBox {
    TRect Plot; // the plot area inside the axes
    TMapping X, Y;
};

TMapping Mapping(const TAxis& axis, double from, double to) {
    TMapping m;
    m.Scale = axis.Scale;
    m.Min = axis.Min;
    m.Max = axis.Max;
    m.From = from;
    m.To = to;
    return m;
}

// Whether an axis can map anything: a range of numbers, positive for a log.
bool Usable(const TAxis& axis) {
    if (!std::isfinite(axis.Min) || !std::isfinite(axis.Max) || !(axis.Max > axis.Min))
        return false;
    return axis.Scale != TScale::Log || axis.Min > 0;
}

double MaxLabelWidth(const std::vector<TTick>& ticks, double size) {
    double width = 0;
    for (const TTick& t : ticks) width = std::max(width, TextWidth(t.Label, size));
    return width;
}

// Every how many ticks a label is written so that no two labels touch:
// along x their widths, along y their height.
std::size_t LabelEvery(const std::vector<TTick>& ticks, const TMapping& m, bool across) {
    std::vector<double> at;
    std::vector<double> room;
    for (const TTick& t : ticks) {
        if (!m.Maps(t.Value)) continue;
        at.push_back(m(t.Value));
        room.push_back(across ? TextWidth(t.Label, TickSize) / 2 + 4 : TickSize * 0.6 + 1);
    }
    for (std::size_t every = 1; every < at.size(); ++every) {
        bool fits = true;
        for (std::size_t i = 0; i + every < at.size() && fits; i += every)
            fits = std::fabs(at[i + every] - at[i]) >= room[i] + room[i + every];
        if (fits) return every;
    }
    return std::max<std::size_t>(1, at.size());
}

void AddAxes(TSceneGroup& group, const TPanel& panel, const TPanelBox& box,
             const std::vector<TTick>& xTicks, const std::vector<TTick>& yTicks) {
    const TRect& r = box.Plot;
    const double bottom = r.Top + r.Height;
    group.Items.push_back(Item({}, Rectangle(r, std::nullopt, White)));
    const std::size_t xEvery = LabelEvery(xTicks, box.X, true);
    std::size_t k = 0;
    for (const TTick& t : xTicks) {
        if (!box.X.Maps(t.Value)) continue;
        const double x = box.X(t.Value);
        group.Items.push_back(Item({}, Segment({x, r.Top}, {x, bottom}, {GridGrey, 0.6})));
        group.Items.push_back(Item({}, Segment({x, bottom}, {x, bottom + TickLength}, {Black})));
        if (k++ % xEvery == 0)
            group.Items.push_back(TextItem({x, bottom + TickLength + TickSize + 2}, t.Label,
                                           TickSize, TAnchor::Middle));
    }
    const std::size_t yEvery = LabelEvery(yTicks, box.Y, false);
    k = 0;
    for (const TTick& t : yTicks) {
        if (!box.Y.Maps(t.Value)) continue;
        const double y = box.Y(t.Value);
        group.Items.push_back(
            Item({}, Segment({r.Left, y}, {r.Left + r.Width, y}, {GridGrey, 0.6})));
        group.Items.push_back(Item({}, Segment({r.Left - TickLength, y}, {r.Left, y}, {Black})));
        if (k++ % yEvery == 0)
            group.Items.push_back(TextItem({r.Left - TickLength - 3, y + TickSize * 0.35}, t.Label,
                                           TickSize, TAnchor::End));
    }
    group.Items.push_back(Item({}, Rectangle(r, TStroke{Black, 1}, std::nullopt)));
    if (!panel.X.Title.empty())
        group.Items.push_back(TextItem({r.Left + r.Width / 2, bottom + TickLength + TickSize + 24},
                                       panel.X.Title, AxisTitleSize, TAnchor::Middle));
    if (!panel.Y.Title.empty()) {
        const double labels = MaxLabelWidth(yTicks, TickSize);
        group.Items.push_back(TextItem({r.Left - TickLength - labels - 10, r.Top + r.Height / 2},
                                       panel.Y.Title, AxisTitleSize, TAnchor::Middle, false, Black,
                                       -90));
    }
}

void AddMappingAttributes(TSceneGroup& group, const TPanelBox& box) {
    auto add = [&](const char* name, std::string value) {
        group.Attributes.emplace_back(name, std::move(value));
    };
    add("data-x-scale", box.X.Scale == TScale::Log ? "log" : "linear");
    add("data-x-min", Exact(box.X.Min));
    add("data-x-max", Exact(box.X.Max));
    add("data-x-left", Exact(box.X.From));
    add("data-x-right", Exact(box.X.To));
    add("data-y-scale", box.Y.Scale == TScale::Log ? "log" : "linear");
    add("data-y-min", Exact(box.Y.Min));
    add("data-y-max", Exact(box.Y.Max));
    add("data-y-bottom", Exact(box.Y.From));
    add("data-y-top", Exact(box.Y.To));
}

// The texts of the marker lines beside their tops, on a white box so that
// bars behind them do not hide them; each line's block a little lower than
// the one before, so that neighbouring lines' texts do not overlap.
void AddMarkers(TSceneGroup& data, const TPanel& panel, const TPanelBox& box) {
    const TRect& r = box.Plot;
    double top = r.Top + 6;
    for (const TMarkerLine& m : panel.Markers) {
        if (!box.X.Maps(m.X)) continue;
        const double x = box.X(m.X);
        data.Items.push_back(Item(m.Id, Segment({x, r.Top}, {x, r.Top + r.Height}, m.Stroke)));
        if (m.Labels.empty()) continue;
        const double line = 15;
        double width = 0;
        for (const std::string& label : m.Labels)
            width = std::max(width, TextWidth(label, NoteSize));
        const bool left = x > r.Left + r.Width * 0.62;
        const double textX = left ? x - 5 : x + 5;
        const double boxLeft = left ? textX - width - 3 : textX - 3;
        const double height = line * static_cast<double>(m.Labels.size()) + 4;
        if (top + height > r.Top + r.Height) top = r.Top + 6;
        data.Items.push_back(Item({}, Rectangle({boxLeft, top, width + 6, height}, std::nullopt,
                                                TColor{255, 255, 255, 0.85})));
        double y = top + NoteSize + 1;
        for (const std::string& label : m.Labels) {
            data.Items.push_back(
                TextItem({textX, y}, label, NoteSize, left ? TAnchor::End : TAnchor::Start));
            y += line;
        }
        top += height + 4;
    }
}

void AddPanel(TScene& scene, const TPanel& panel, const TRect& outer) {
    const bool drawable = panel.Empty.empty() && Usable(panel.X) && Usable(panel.Y);
    const std::vector<TTick> xTicks = drawable ? AxisTicks(panel.X) : std::vector<TTick>{};
    const std::vector<TTick> yTicks = drawable ? AxisTicks(panel.Y) : std::vector<TTick>{};
    const double yLabels = MaxLabelWidth(yTicks, TickSize);
    const double leftInset = TickLength + 3 + yLabels + (panel.Y.Title.empty() ? 4 : 24);
    const double bottomInset = TickLength + TickSize + (panel.X.Title.empty() ? 8 : 32);
    TPanelBox box;
    box.Plot = {outer.Left + leftInset, outer.Top, std::max(20.0, outer.Width - leftInset - 4),
                std::max(20.0, outer.Height - bottomInset)};
    const TRect& r = box.Plot;
    TAxis x = panel.X, y = panel.Y;
    if (!drawable) x = y = TAxis{};
    box.X = Mapping(x, r.Left, r.Left + r.Width);
    box.Y = Mapping(y, r.Top + r.Height, r.Top);

    TSceneGroup frame;
    frame.Id = "panel-" + panel.Id;
    AddMappingAttributes(frame, box);
    AddAxes(frame, panel, box, xTicks, yTicks);
    scene.Groups.push_back(std::move(frame));

    TSceneGroup data;
    data.Id = panel.Id + "-data";
    // A little beyond the plot area, so that a marker on the frame shows whole.
    data.Clip = TRect{r.Left - 5, r.Top - 5, r.Width + 10, r.Height + 10};
    if (drawable) {
        for (const TSeries& s : panel.Series) data.Items.push_back(SeriesItem(s, box.X, box.Y));
        AddMarkers(data, panel, box);
        for (const TPanelText& t : panel.Texts) {
            if (t.InData && !(box.X.Maps(t.X) && box.Y.Maps(t.Y))) continue;
            const TPoint at = t.InData
                                  ? TPoint{box.X(t.X), box.Y(t.Y)}
                                  : TPoint{r.Left + t.X * r.Width, r.Top + (1 - t.Y) * r.Height};
            TSceneItem item = TextItem(at, t.Text, t.Size, t.Anchor, t.Bold);
            item.Id = t.Id;
            data.Items.push_back(std::move(item));
        }
    } else {
        const std::string& message =
            panel.Empty.empty() ? std::string("描ける値がありません") : panel.Empty;
        data.Items.push_back(TextItem({r.Left + r.Width / 2, r.Top + r.Height / 2},
                                      Fitted(message, AxisTitleSize, r.Width - 8), AxisTitleSize,
                                      TAnchor::Middle, false, Grey));
    }
    scene.Groups.push_back(std::move(data));
}

// The legend: one row (or more, when it is long) of samples and labels.
double AddLegend(TScene& scene, const TFigure& figure, double top) {
    TSceneGroup legend;
    legend.Id = "legend";
    double x = Margin + 8, y = top + LegendSize;
    for (const TPanel& panel : figure.Panels) {
        if (!panel.Empty.empty()) continue;
        for (const TSeries& s : panel.Series) {
            if (s.Label.empty()) continue;
            const double width = 34 + TextWidth(s.Label, LegendSize) + 18;
            if (x > Margin + 8 && x + width > figure.Width - Margin) {
                x = Margin + 8;
                y += LegendSize + 7;
            }
            legend.Items.push_back(LegendSample(s, {x, y - LegendSize * 0.35}));
            legend.Items.push_back(TextItem({x + 34, y}, s.Label, LegendSize));
            x += width;
        }
    }
    if (legend.Items.empty()) return top;
    scene.Groups.push_back(std::move(legend));
    return y + 8;
}

} // namespace

double TMapping::operator()(double v) const {
    // In halves, so that a range up to the largest doubles does not overflow.
    const double a = Transformed(Scale, Min) * 0.5, b = Transformed(Scale, Max) * 0.5;
    return From + (Transformed(Scale, v) * 0.5 - a) / (b - a) * (To - From);
}

bool TMapping::Maps(double v) const {
    return std::isfinite(v) && (Scale != TScale::Log || v > 0);
}

double TextWidth(std::string_view utf8, double size) {
    double ems = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            ems += 0.56;
        } else if (c >= 0xC0 && c < 0xE0) {
            ems += 0.6;
        } else if (c >= 0xE0) {
            // Half-width katakana (U+FF61 to U+FF9F: EF BD A1 to EF BE 9F) are narrow.
            const bool halfWidth =
                c == 0xEF && i + 1 < utf8.size() &&
                ((static_cast<unsigned char>(utf8[i + 1]) == 0xBD && i + 2 < utf8.size() &&
                  static_cast<unsigned char>(utf8[i + 2]) >= 0xA1) ||
                 static_cast<unsigned char>(utf8[i + 1]) == 0xBE);
            ems += halfWidth ? 0.5 : 1.0;
        }
    }
    return ems * size;
}

TScene LayOut(const TFigure& figure) {
    TScene scene;
    scene.Id = figure.Id;
    scene.Width = figure.Width;
    scene.Height = figure.Height;
    scene.Title = figure.Subtitle.empty() ? figure.Title : figure.Title + "　" + figure.Subtitle;

    TSceneGroup head;
    head.Id = "title";
    head.Items.push_back(
        Item({}, Rectangle({0, 0, figure.Width, figure.Height}, std::nullopt, White)));
    double y = Margin + TitleSize;
    const double line = figure.Width - 2 * Margin;
    head.Items.push_back(TextItem({Margin, y}, Fitted(figure.Title, TitleSize, line), TitleSize,
                                  TAnchor::Start, true));
    if (!figure.Subtitle.empty()) {
        y += SubtitleSize + 8;
        head.Items.push_back(
            TextItem({Margin, y}, Fitted(figure.Subtitle, SubtitleSize, line), SubtitleSize));
    }
    scene.Groups.push_back(std::move(head));
    y = AddLegend(scene, figure, y + 10) + 12;

    // Notes from the bottom up.
    double bottom = figure.Height - 10;
    if (!figure.Notes.empty()) {
        TSceneGroup notes;
        notes.Id = "notes";
        double noteY = bottom - (static_cast<double>(figure.Notes.size()) - 1) * (NoteSize + 5);
        for (const std::string& note : figure.Notes) {
            notes.Items.push_back(TextItem({Margin, noteY},
                                           Fitted(note, NoteSize, figure.Width - 2 * Margin),
                                           NoteSize, TAnchor::Start, false, TColor{60, 60, 60}));
            noteY += NoteSize + 5;
        }
        bottom -= static_cast<double>(figure.Notes.size()) * (NoteSize + 5) + 4;
        scene.Groups.push_back(std::move(notes));
    }

    double weights = 0;
    for (const TPanel& p : figure.Panels) weights += std::max(0.0, p.Weight);
    const double width =
        figure.Width - 2 * Margin -
        PanelGap * static_cast<double>(std::max<std::size_t>(1, figure.Panels.size()) - 1);
    double x = Margin;
    for (const TPanel& p : figure.Panels) {
        const double share = weights > 0 ? std::max(0.0, p.Weight) / weights : 1.0;
        const TRect outer{x, y, width * share, std::max(40.0, bottom - y)};
        AddPanel(scene, p, outer);
        x += outer.Width + PanelGap;
    }
    return scene;
}

} // namespace habitual::plot
