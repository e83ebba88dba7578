// The window's plot files: one figure as PNG, SVG or PDF, all groups in one
// PDF (a page per group), and the PNG encoder of the plots folder. Bytes
// are made here; the caller saves them by the rules of platform/SaveFile.h.
#pragma once

#include <QString>

#include <functional>
#include <string>
#include <vector>

#include "engine/GroupResult.h"
#include "plot/GroupPlots.h"
#include "plot/Scene.h"

enum class TPlotFormat { Png, Svg, Pdf };

// The format the name's extension names (any case), else fallback.
TPlotFormat FormatOfName(const QString& path, TPlotFormat fallback);

// One figure's file: PNG at the plots' PNG scale, SVG, or a one-page PDF the
// figure's size. False when it cannot be made (no memory).
bool FigureBytes(const habitual::plot::TScene& scene, TPlotFormat format, std::string& bytes);

// The PNG encoder for the plots folder.
bool PngBytes(const habitual::plot::TScene& scene, std::string& bytes);

// An A4 PDF with a page per group: its heading lines, then its three
// figures one below the other. progress(k) is called before group k and
// stops the work when it returns false. False when stopped or when the PDF
// cannot be made.
bool GroupsPdf(const std::vector<habitual::TGroupResult>& groups,
               const habitual::plot::TPlotOptions& options, std::string& bytes,
               const std::function<bool(std::size_t)>& progress = {});
