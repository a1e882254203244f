#include "uGlobal/cross_section.h"

#include "uGlobal/checked_math.h"
#include "uGlobal/rand_punkte.h"

#include <algorithm>
#include <cmath>

namespace trassolin {

namespace {

// Pixels are computed in double and checked before they become ints: a view that maps far
// outside the area must not wrap around in the cast.
int pixel(double value) {
    return roundToInt(value);
}

} // namespace

CrossSectionView crossSectionView(const TRandPunkte& right, const TRandPunkte& left,
                                  double roadWidth, int width, int height, bool undistorted) {
    const double half = roadWidth / 2;
    CrossSectionView v{-half, half, 0.0, 0.0};
    if (right.enabled) {
        const ProfileExtent& e = right.extent();
        v.xmax = std::max(v.xmax, half + e.maxX0);
        v.xmin = std::min(v.xmin, half + e.minX0);
        v.ymin = std::min(v.ymin, e.minY0);
        v.ymax = std::max(v.ymax, e.maxY0);
    }
    if (left.enabled) {
        const ProfileExtent& e = left.extent();
        v.xmin = std::min(v.xmin, -half - e.maxX0);
        v.xmax = std::max(v.xmax, -half - e.minX0);
        v.ymin = std::min(v.ymin, e.minY0);
        v.ymax = std::max(v.ymax, e.maxY0);
    }
    // The 0.1 m keeps a flat or narrow view from collapsing to no height or width.
    const double mx = 0.05 * (v.xmax - v.xmin) + 0.1;
    const double my = 0.05 * (v.ymax - v.ymin) + 0.1;
    v.xmin -= mx;
    v.xmax += mx;
    v.ymin -= my;
    v.ymax += my;
    if (undistorted && width > 0 && height > 0) {
        const double sx = v.xmax - v.xmin, sy = v.ymax - v.ymin;
        const double kx = checkedDivide(double(width), sx);
        const double ky = checkedDivide(double(height), sy);
        if (kx > ky) {
            const double d = (checkedDivide(kx, ky) - 1) * sx / 2;
            v.xmin -= d;
            v.xmax += d;
        } else {
            const double d = (checkedDivide(ky, kx) - 1) * sy / 2;
            v.ymin -= d;
            v.ymax += d;
        }
    }
    return v;
}

int crossSectionColumn(const CrossSectionView& view, double lateral, int width) {
    return pixel(checkedDivide(lateral - view.xmin, view.xmax - view.xmin) * width);
}

int crossSectionRow(const CrossSectionView& view, double height, int areaHeight) {
    return pixel((1 - checkedDivide(height - view.ymin, view.ymax - view.ymin)) * areaHeight);
}

void drawCrossSection(Canvas& canvas, int width, int height, const TRandPunkte& right,
                      const TRandPunkte& left, double roadWidth, bool undistorted) {
    if (width <= 0 || height <= 0) return;
    const CrossSectionView v =
        crossSectionView(right, left, roadWidth, width, height, undistorted);
    canvas.fill(kWhite);

    constexpr int kRoadPen = 3;
    const double half = roadWidth / 2;
    const int row = crossSectionRow(v, 0.0, height);
    canvas.setPen(kBlack, kRoadPen);
    canvas.moveTo(crossSectionColumn(v, -half, width), row);
    canvas.lineTo(crossSectionColumn(v, half, width), row);

    right.draw(canvas, kRightProfileColour, width, height, half, 0.0, v.xmin, v.xmax, v.ymin,
               v.ymax);
    left.draw(canvas, kLeftProfileColour, width, height, -half, 0.0, v.xmin, v.xmax, v.ymin,
              v.ymax);
}

} // namespace trassolin
