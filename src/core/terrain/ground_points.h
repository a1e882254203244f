#pragma once

#include "terrain/height_map.h"
#include "uSplinePkts/spline_punkte.h"

namespace trassolin {

// Puts every control point on the ground: Y becomes the ground height under the point's X and
// Z plus `offset` (m), rounded to the millimetre (the ground itself is known to a few mm).
// Nothing else of a point changes. A point outside the ground throws TrassolinError naming it
// and the ground's extent; then no point has changed.
void placeOnGround(TSplinePunkte& points, const HeightMap& ground, double offset,
                   char decimalSeparator);

} // namespace trassolin
