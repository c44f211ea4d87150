// The chart's scene drawn with QPainter (the window, PNG files) and written as SVG text.
#pragma once

#include <QPainter>
#include <string>

#include "review/ChartScene.h"

namespace zemtra::review {

void paintScene(QPainter& painter, const ChartScene& scene);

// A standalone SVG document of the scene, the same shapes and texts as paintScene draws.
std::string svgOf(const ChartScene& scene);

}  // namespace zemtra::review
