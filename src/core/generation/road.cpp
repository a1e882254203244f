#include "generation/road.h"

#include "generation/path_sampler.h"
#include "uGlobal/checked_math.h"
#include "uGlobal/numbers.h"

#include <cmath>
#include <numbers>
#include <string>

namespace trassolin {

namespace {

enum class Side { Right, Left };

// Everything built at one sample: the traffic curves' control vertices, the border points
// with the curve widening, and, with the road on, their vertices, the triangles each new vertex
// closes with the two written before it, and V along the road.
class SampleBuilder {
public:
    SampleBuilder(const RunInputs& in, MeshPart* road, RoadWalk& walk, TrafficCurves& curves,
                  RoadTexture& texture)
        : in_(in), road_(road), walk_(walk), curves_(curves), texture_(texture) {}

    void build(const Sample& s) {
        // A part that is off never divides by its texture length.
        const double increment =
            in_.road ? checkedDivide(s.distance, in_.texLaenge) * texture_.direction() *
                           (1.0 + in_.streckung * s.slope / 90.0)
                     : 0.0;
        if (first_) walk_.firstSample = s.pose;
        first_ = false;
        walk_.lastSample = s.pose;
        addTrafficPoints(in_, curves_, s.pose, s.curvature);

        const double c = s.curvature;
        const double widening = std::fabs(c) * in_.schleppkurve;
        const double rightOffset = -(in_.breite + widening * (2 + signum(c))) / 2.0;
        const double leftOffset = (in_.breite + widening * (2 - signum(c))) / 2.0;

        RoadTextureFlags flags;
        double shear = 0.0;
        if (in_.road) {
            flags = texture_.decide(increment, in_.ruecksetzen, s.pathEnd);
            shear = -s.headingStep * in_.breite / 2.0 / in_.texLaenge;
        }
        const bool full = s.segmentEnd || s.mirror || flags.limitMirror || flags.reset ||
                          in_.preferences.dreieckeSym;
        if (full) shear = 0.0;

        if (road_) road_->beginSection(s.station);
        const double w = texture_.coordinate();
        double lastV = 0.0;
        if (next_ == Side::Right) {
            lastV = w + increment + shear;
            border(Side::Right, s, rightOffset, lastV);
        }
        if (next_ == Side::Left || full) {
            lastV = w + increment - shear;
            border(Side::Left, s, leftOffset, lastV);
        }
        if (full && next_ == Side::Left) {
            lastV = w + increment;
            border(Side::Right, s, rightOffset, lastV);
        }
        if (!full) next_ = next_ == Side::Right ? Side::Left : Side::Right;

        if (in_.road && texture_.advance(lastV, s.mirror, flags)) {
            duplicateLast(next_, texture_.coordinate());
        }
    }

private:
    void border(Side side, const Sample& s, double offset, double v) {
        TPunkt& p = side == Side::Right ? lastRight_ : lastLeft_;
        p = s.pose;
        p.offsetLateral(offset);
        p.u = side == Side::Right ? in_.texEnde : in_.texStart;
        p.v = v;
        (side == Side::Right ? walk_.rightBorder : walk_.leftBorder)
            .push_back({p.x, p.y, p.z, p.xrot, p.yrot, p.zrot, s.station});
        if (!road_) return;
        const std::uint32_t index = road_->addVertex(p);
        if (road_->vertexCount() > 2) {
            if (side == Side::Right) {
                road_->addTriangle(index - 1, index - 2, index);
            } else {
                road_->addTriangle(index - 2, index - 1, index);
            }
        }
    }

    // The seam of a reset: both last border vertices again, with the new V and no triangle.
    void duplicateLast(Side first, double v) {
        lastRight_.v = v;
        lastLeft_.v = v;
        road_->addVertex(first == Side::Right ? lastRight_ : lastLeft_);
        road_->addVertex(first == Side::Right ? lastLeft_ : lastRight_);
    }

    const RunInputs& in_;
    MeshPart* road_;
    RoadWalk& walk_;
    TrafficCurves& curves_;
    RoadTexture& texture_;
    Side next_ = Side::Right; // the side of the next single vertex; persists across segments
    bool first_ = true;
    TPunkt lastRight_, lastLeft_; // the border points emitted last on each side
};

std::string segmentLine(int i, const SegmentSummary& s, double mean) {
    return "Spline  " + std::to_string(i + 1) + "-" + std::to_string(i + 2) +
           ": Fahrbahnlänge = " + formatFixed(s.length) + " m  --  mittlere Steigung = " +
           formatFixed(mean) + "°  --  minimale Steigung = " + formatFixed(s.minSlope) +
           "°   -  maximale Steigung = " + formatFixed(s.maxSlope) + "°";
}

} // namespace

TPunkt BorderPoint::pose() const {
    TPunkt p;
    p.x = x;
    p.y = y;
    p.z = z;
    p.xrot = xrot;
    p.yrot = yrot;
    p.zrot = zrot;
    return p;
}

RoadWalk walkRoad(const TSplinePunkte& splines, const RunInputs& in, MeshPart* road,
                  TrafficCurves& curves, RoadTexture& texture, RandomSequence& random,
                  StatusLog& log, RunProgress* progress) {
    RoadWalk walk;
    SampleBuilder builder(in, road, walk, curves, texture);
    PathSampler sampler(splines, in, random);
    const auto& points = splines.points();
    double chords = 0.0, done = 0.0;
    for (int i = 0; i < sampler.segments(); ++i) chords += points[static_cast<std::size_t>(i)].chordLength;

    for (int i = 0; i < sampler.segments(); ++i) {
        if (progress && progress->cancelRequested()) throw RunCancelled{};
        const SegmentSummary s =
            sampler.sampleSegment(i, [&builder](const Sample& sample) { builder.build(sample); });
        const TSplinePkt& P = points[static_cast<std::size_t>(i)];
        const TSplinePkt& Q = points[static_cast<std::size_t>(i) + 1];
        const double mean =
            std::atan(checkedDivide(Q.Y - P.Y, s.length)) * 180.0 / std::numbers::pi;
        log.append(segmentLine(i, s, mean));
        walk.length += s.length;
        done += P.chordLength;
        if (progress) progress->advanced(done, chords);
    }
    log.append("Gesamt-Fahrbahnlänge = " + formatFixed(walk.length) + " m");
    return walk;
}

} // namespace trassolin
