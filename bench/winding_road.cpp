#include "winding_road.h"

#include "settings/parameter_file.h"
#include "uGlobal/messages.h"

#include <cmath>
#include <numbers>

namespace trassolin::bench {

int windingRoadPoints(double kilometres) {
    return static_cast<int>(std::lround(kilometres * 20.0)) + 1;
}

// Control points 50 m apart whose heading swings and whose height rolls, banked in the
// bends; both verges with a ditch, the end-face fill, camber, widening and all three traffic
// curves on.
void writeWindingRoad(const std::filesystem::path& file, double kilometres) {
    ParameterSet p;
    CollectingMessageSink messages;
    p.splines.assignPoints({});
    double x = 0, z = 0, heading = 0;
    const int points = windingRoadPoints(kilometres);
    for (int k = 0; k < points; ++k) {
        auto& s = p.splines.append();
        const double turn = 0.12 * std::sin(k * 0.07);
        heading += turn;
        s.X = x;
        s.Z = z;
        s.Y = 20.0 * std::sin(k * 0.05);
        s.Yrot = -heading * 180.0 / std::numbers::pi;
        s.Zrot = turn * 20.0;
        x += -50.0 * std::sin(heading);
        z += 50.0 * std::cos(heading);
    }
    p.schleppkurveErzeugen = true;
    p.sturzErzeugen = true;
    p.trafficMitte = p.trafficRechts = p.trafficLinks = true;
    for (TRandPunkte* edge : {&p.rechterRand, &p.linkerRand}) {
        edge->enabled = true;
        edge->textureLength = 5;
        edge->textureWidth = 2;
        edge->resize(4, messages);
        const double widths[] = {0, 0.5, 1.0, 2.0};
        const double angles[] = {0, -0.3, -0.6, -0.1}; // rad: down the bank, ditch, back up
        for (int i = 1; i < 4; ++i) {
            Randsegment seg = *edge->getSegment(i);
            seg.length = widths[i];
            seg.angle = angles[i];
            edge->setSegment(i, seg);
            edge->updateSegmentGeometry(i);
        }
        edge->computeUFromTextureWidth(messages);
        edge->recompute(messages);
    }
    p.fuellFlaecheErzeugen = true;
    saveParameterFile(file, p, '.');
}

ParameterSet loadWindingRoad(const std::filesystem::path& file) {
    ParameterSet p;
    CollectingMessageSink messages;
    loadParameterFile(file, p, messages);
    return p;
}

} // namespace trassolin::bench
