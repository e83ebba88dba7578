// What a figure shows, in data terms: panels with their axes, series, marker
// lines, texts and notes. The plot builders (plot/GroupPlots.h) make figures
// from a group's results; LayOut (plot/Layout.h) turns a figure into a scene
// of shapes and texts that every renderer draws the same way. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace habitual::plot {

struct TColor {
    std::uint8_t R = 0, G = 0, B = 0;
    double Alpha = 1;
};

// Line styles, so that series differ in print without colour.
enum class TDash { Solid, Dashed, Dotted, DashDot };

struct TStroke {
    TColor Color;
    double Width = 1;
    TDash Dash = TDash::Solid;
};

enum class TScale { Linear, Log }; // Log: base 10, positive values only

struct TTick {
    double Value = 0;
    std::string Label;
};

struct TAxis {
    std::string Title;
    TScale Scale = TScale::Linear;
    double Min = 0, Max = 1; // the data range the axis spans
    // Explicit ticks (for categories); empty: LayOut chooses round ones.
    std::vector<TTick> Ticks;
};

enum class TMarker { Circle, Square };

struct TSeries {
    enum class TKind {
        Line,   // a polyline through (X[i], Y[i]); a point that is not a number breaks it
        Steps,  // a histogram outline: X holds n + 1 bin edges, Y the n heights
        Bars,   // a bar from 0 to Y[i] between the edges X[i] and X[i + 1]
        Points, // a marker at each (X[i], Y[i])
        Band,   // the area between (X[i], Y[i]) and (X2[i], Y[i]), row by row
    };
    TKind Kind = TKind::Line;
    std::string Id;    // the series' name in an SVG file ("daily-cdf")
    std::string Label; // legend text; empty: not in the legend
    std::vector<double> X, Y, X2;
    TStroke Stroke;             // Width 0: no outline
    std::optional<TColor> Fill; // bars, steps (down to 0), bands, markers
    TMarker Marker = TMarker::Circle;
    double MarkerSize = 3; // radius
};

// A vertical line across the panel at X, with texts beside its top.
struct TMarkerLine {
    std::string Id;
    double X = 0;
    TStroke Stroke;
    std::vector<std::string> Labels;
};

enum class TAnchor { Start, Middle, End };

// A text in the panel: at data coordinates, or at fractions of the plot
// area (0, 0 its lower left corner, 1, 1 its upper right one).
struct TPanelText {
    std::string Id;
    bool InData = false;
    double X = 0, Y = 0;
    std::string Text;
    TAnchor Anchor = TAnchor::Start;
    double Size = 13;
    bool Bold = false;
};

struct TPanel {
    std::string Id;
    double Weight = 1; // share of the figure's width among its panels
    TAxis X, Y;
    std::vector<TSeries> Series;
    std::vector<TMarkerLine> Markers;
    std::vector<TPanelText> Texts;
    // Set when there is nothing to draw: the panel shows this text alone.
    std::string Empty;
};

struct TFigure {
    std::string Id; // "histogram", "cumulative", "normal"
    double Width = 800, Height = 560;
    std::string Title, Subtitle;
    std::vector<TPanel> Panels;
    // Footnotes: what the figure leaves out, and why.
    std::vector<std::string> Notes;
};

} // namespace habitual::plot
