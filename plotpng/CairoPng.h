// A plot scene as a PNG image, drawn by Cairo: the batch tool's PNG files.
// The same shapes, dashes and text anchors as the SVG writer and the
// window's painter; Japanese text in the first installed of the scene's font
// families (fontconfig chooses where Cairo has it).
#pragma once

#include <string>

#include "plot/Scene.h"

namespace habitual::plot {

// The scene at scale pixels per canvas unit, on white; false when Cairo
// cannot draw or encode it (out of memory, a size it refuses).
bool CairoPng(const TScene& scene, double scale, std::string& bytes);

} // namespace habitual::plot
