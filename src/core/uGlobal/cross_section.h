#pragma once

#include "uGlobal/canvas.h"

namespace trassolin {

class TRandPunkte;

// The part of the cross-section plane a drawing shows: lateral position (m, positive to the
// right of the road) and height (m).
struct CrossSectionView {
    double xmin = 0.0, xmax = 0.0, ymin = 0.0, ymax = 0.0;
};

// The road of width `roadWidth` and both switched-on profiles with a margin of 5 % plus
// 0.1 m on every side; `undistorted` widens one span so that a metre has the same number of
// pixels both ways on a `width` x `height` area.
CrossSectionView crossSectionView(const TRandPunkte& right, const TRandPunkte& left,
                                  double roadWidth, int width, int height, bool undistorted);

// Column and row of a point of the view: halves to even, y growing downwards.
int crossSectionColumn(const CrossSectionView& view, double lateral, int width);
int crossSectionRow(const CrossSectionView& view, double height, int areaHeight);

// White background, the road as a black line 3 px wide at height 0, the right profile green
// and the left one blue, each with its red normal ticks. An area without width or height
// (a minimised window) draws nothing.
void drawCrossSection(Canvas& canvas, int width, int height, const TRandPunkte& right,
                      const TRandPunkte& left, double roadWidth, bool undistorted);

inline constexpr Colour kRightProfileColour{0, 128, 0};
inline constexpr Colour kLeftProfileColour{0, 0, 255};

} // namespace trassolin
