#pragma once

// The road coloured by its height above the ground of a map: each vertex of the road surface
// and the verges measured against the ground, and the diverging scale that turns the height
// into a colour (blue below, a light neutral within the tolerance, red above).

#include "terrain/height_map.h"
#include "uVorschau/preview_scene.h"

#include <QImage>
#include <QString>

#include <array>

namespace trassolin::gui {

using Rgb = std::array<float, 3>; // 0…1

// Heights this far beyond the tolerance (m) take the scale's full colour.
inline constexpr double kFullColourBeyondTolerance = 1.0;

// The height where the scale reaches its full colour, m: the tolerance (negative taken as 0)
// plus kFullColourBeyondTolerance.
double clearanceScaleEnd(double tolerance);

// The colour of a height above the ground (m, negative below): neutral within ±tolerance,
// beyond it a clear tint of red (above) or blue (below) that deepens to the full colour at
// clearanceScaleEnd.
Rgb clearanceColour(double clearance, double tolerance);

// The scale as a picture one pixel high: pixel i shows the height
// (-1 + (2i + 1) / width) × clearanceScaleEnd, so that a texture coordinate of
// 0.5 + 0.5 × height / clearanceScaleEnd reads the height's colour.
QImage clearanceScalePicture(double tolerance, int width = 1024);

// "Höhe über Gelände: blau unter, grau innerhalb ±0,1 m, rot über dem Gelände (volle Farbe ab
// 1,1 m); außerhalb der Karte ohne Farbe", for the preview's description.
QString clearanceScaleText(double tolerance, char decimalSeparator);
// The same, short and with coloured squares, for the legend under the preview (rich text).
QString clearanceLegend(double tolerance, char decimalSeparator);

// Sets each road surface and verge vertex's height above the ground where the ground has one;
// vertices beyond the map and of other parts stay without.
void measureAgainstGround(PreviewScene& scene, const HeightMap& ground);

} // namespace trassolin::gui
