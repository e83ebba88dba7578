// A scene as an SVG 1.1 document (UTF-8), the same from the window and the
// batch tool. Coordinates have two decimals; markers are one path of circles
// or squares per series; texts name font families found on Windows and
// Linux. Groups and items carry the scene's ids and attributes.
#pragma once

#include <string>

#include "plot/Scene.h"

namespace habitual::plot {

std::string SvgDocument(const TScene& scene);

// Text for XML character data and attribute values: markup characters as
// references, control characters and invalid UTF-8 replaced by U+FFFD.
std::string XmlEscaped(std::string_view utf8);

} // namespace habitual::plot
