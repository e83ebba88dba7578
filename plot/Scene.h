// A laid-out figure: shapes and texts at fixed positions on a canvas of
// Width x Height units (pixels of the SVG, y growing downwards). Every
// renderer (SVG, Qt, Cairo) draws a scene item by item, in order, so a figure
// looks the same from each; none of them decides a position.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "plot/Figure.h"

namespace habitual::plot {

struct TPoint {
    double X = 0, Y = 0;
};

struct TRect {
    double Left = 0, Top = 0, Width = 0, Height = 0;
};

// Polylines or polygons: each part is drawn on its own.
struct TPath {
    std::vector<std::vector<TPoint>> Parts;
    bool Closed = false;
    std::optional<TStroke> Stroke;
    std::optional<TColor> Fill;
};

// The same marker at many points.
struct TDots {
    std::vector<TPoint> At;
    TMarker Marker = TMarker::Circle;
    double Size = 3; // radius
    std::optional<TStroke> Stroke;
    std::optional<TColor> Fill;
};

// One line of text; At is on its baseline, Anchor says which end of the text
// (or its middle) stands there. Rotated texts (-90: reading upwards) turn
// about At.
struct TText {
    TPoint At;
    std::string Text;
    double Size = 13; // the font's pixel size
    TAnchor Anchor = TAnchor::Start;
    bool Bold = false;
    double Rotation = 0;
    TColor Color;
};

struct TSceneItem {
    std::string Id; // empty: none
    std::variant<TPath, TDots, TText> Shape;
};

// Items drawn together, clipped to Clip when it is set. Attributes name the
// group's data-to-canvas mapping (for a panel) so that the drawing can be
// read back; the SVG writer gives them as attributes.
struct TSceneGroup {
    std::string Id;
    std::vector<std::pair<std::string, std::string>> Attributes;
    std::optional<TRect> Clip;
    std::vector<TSceneItem> Items;
};

struct TScene {
    std::string Id; // the figure's
    double Width = 800, Height = 560;
    std::string Title; // what the figure is, for the SVG's title element
    std::vector<TSceneGroup> Groups;
};

// The lengths of the dashes and gaps of a stroke, in canvas units, starting
// with a dash; empty for a solid line.
std::vector<double> DashLengths(const TStroke& stroke);

// The font families a renderer asks for, in order: those of Windows first,
// then IPA Gothic (Linux), then any sans-serif face.
inline constexpr const char* FontFamilies[] = {"Yu Gothic", "Meiryo", "MS Gothic", "IPAGothic"};

} // namespace habitual::plot
