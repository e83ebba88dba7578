// Turns a figure into a scene: where its title, legend, panels, axes, ticks,
// series and notes stand on the canvas.
//
// Each panel becomes a group "panel-ID" holding its frame, grid, ticks and
// axis titles, with the mapping from data to canvas as attributes
// (data-x-scale "linear" or "log", data-x-min, data-x-max, data-x-left,
// data-x-right; data-y-scale, data-y-min, data-y-max, data-y-bottom,
// data-y-top), followed by a group "ID-data", clipped to the plot area (and
// a margin of 5 units, for markers on the frame),
// holding the series (each an item with the series' Id), the marker lines
// and the panel's texts. On a log axis the canvas position is linear in
// log10 of the value.
#pragma once

#include <string_view>

#include "plot/Figure.h"
#include "plot/Scene.h"

namespace habitual::plot {

TScene LayOut(const TFigure& figure);

// An estimate of the width of a text at a font size, the same for every
// renderer: CJK characters one em, others about half of one. Used only to
// make room (legends, label boxes, margins), never to place a text exactly.
double TextWidth(std::string_view utf8, double size);

// The plot area's mapping for one axis: canvas position of a value.
struct TMapping {
    TScale Scale = TScale::Linear;
    double Min = 0, Max = 1; // data
    double From = 0, To = 1; // canvas positions of Min and Max
    double operator()(double v) const;
    // Whether v has a place on the axis (a number; positive on a log axis).
    bool Maps(double v) const;
};

} // namespace habitual::plot
