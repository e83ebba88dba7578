// Draws a plot scene with QPainter: the window's plot view, and its PNG and
// PDF files. The same shapes, dashes and text anchors as the SVG writer.
#pragma once

#include <QFont>
#include <QImage>
#include <QRectF>

#include "plot/Scene.h"

class QPainter;

// Draws the scene into target, scaled to fit it with its proportions kept,
// centred.
void PaintScene(QPainter& painter, const habitual::plot::TScene& scene, const QRectF& target);

// The scene as an image of scale pixels per canvas unit, on white; a null
// image when there is no memory for it.
QImage SceneImage(const habitual::plot::TScene& scene, double scale);

// The plots' font at a pixel size: the scene's families, in order.
QFont PlotFont(double pixelSize, bool bold = false);
