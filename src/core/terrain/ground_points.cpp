#include "terrain/ground_points.h"

#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <string>
#include <vector>

namespace trassolin {

void placeOnGround(TSplinePunkte& points, const HeightMap& ground, double offset,
                   char decimalSeparator) {
    std::vector<TSplinePkt> placed = points.points();
    for (std::size_t i = 0; i < placed.size(); ++i) {
        TSplinePkt& p = placed[i];
        const std::optional<double> height = ground.heightAt(p.X, p.Z);
        if (!height) {
            const auto m = [&](double v) { return formatGeneral(v, decimalSeparator); };
            throw TrassolinError("SplinePunkt " + std::to_string(i + 1) + " (x = " + m(p.X) +
                                 ", z = " + m(p.Z) + ") liegt außerhalb des Geländes (" +
                                 ground.extentText(decimalSeparator) + ")");
        }
        p.Y = decimalRound(*height + offset, -3);
    }
    const int current = points.current();
    points.assignPoints(std::move(placed));
    points.setCurrent(current);
}

} // namespace trassolin
