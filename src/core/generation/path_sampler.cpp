#include "generation/path_sampler.h"

#include "uGlobal/checked_math.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <cmath>
#include <numbers>
#include <string>

namespace trassolin {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;

} // namespace

PathSampler::PathSampler(const TSplinePunkte& splines, const RunInputs& in, RandomSequence& random)
    : splines_(splines), in_(in), random_(random), segments_(splines.count() - 1),
      spacingLimit_(in.preferences.dreieckeSym ? 3.5 : 1.75),
      minYaw_(in.preferences.minWinkel * kDegToRad),
      minPitch_(in.preferences.minSteigung * kDegToRad),
      minRoll_(in.preferences.minZRot * kDegToRad) {}

SegmentSummary PathSampler::sampleSegment(int i,
                                          const std::function<void(const Sample&)>& onSample) {
    const Preferences& pref = in_.preferences;
    const TSplinePkt& P = splines_.points()[static_cast<std::size_t>(i)];
    if (!(P.chordLength <= kMaxChordLength)) {
        throw TrassolinError("SplinePunkte " + std::to_string(i + 1) + " und " +
                             std::to_string(i + 2) + " liegen " +
                             formatGeneral(P.chordLength, in_.decimalSeparator) +
                             " m auseinander: zu weit für eine Straße");
    }
    const int n = static_cast<int>(std::trunc(2.0 * P.chordLength)) + 1;
    SegmentSummary summary;
    TPunkt candidate, last, d;
    Sample sample;

    for (int j = 0; j <= n; ++j) {
        splines_.evaluate(i, candidate, static_cast<double>(j) / n);
        if (j == 0) last = candidate;
        candidate.difference(last, d);
        const double X = d.length();

        bool far = checkedDivide(X, in_.shortestTextureLength) > spacingLimit_;
        const double dYaw = std::fabs(d.yrot), dPitch = std::fabs(d.xrot), dRoll = std::fabs(d.zrot);
        if (X > pref.minLaenge && (dYaw > minYaw_ || dPitch > minPitch_ || dRoll > minRoll_)) {
            far = true;
        }
        if (dYaw > 2 * minYaw_ || dPitch > 2 * minPitch_ || dRoll > 2 * minRoll_) far = true;

        bool mirror = false;
        if (in_.rueckfaltung) {
            // Drawn for every candidate, so the sequence does not depend on the samples.
            mirror = random_.next() < in_.rueckfaltungP && j != 0;
        }
        if (!(((far || mirror) && j != 0) || (i == 0 && j == 0) || j == n)) continue;

        sample.pathEnd = i == segments_ - 1 && j == n;
        const double R = d.horizontalLength();
        double slope = 0.0, c = 0.0;
        if (R > 0.1) {
            slope = std::atan(d.y / R) * 180.0 / std::numbers::pi;
            if (slope > summary.maxSlope) summary.maxSlope = slope;
            if (slope < summary.minSlope) summary.minSlope = slope;
            c = d.yrot / R; // rad of heading per horizontal metre
        }
        if (sample.pathEnd) c = 0.0;
        summary.length += X;

        // Camber: approaches maxSturz degrees as |c * St| grows, with the sign of c.
        candidate.zrot += std::atan(c * in_.sturz) * pref.maxSturz / 90.0;
        last = candidate;

        candidate.rotateY(P.chordHeading);
        candidate.x += P.X;
        candidate.y += P.Y;
        candidate.z += P.Z;
        candidate.normalFromRotations();

        sample.pose = candidate;
        sample.distance = X;
        sample.station = station_ + summary.length;
        sample.slope = slope;
        sample.curvature = c;
        sample.headingStep = d.yrot;
        sample.mirror = mirror;
        sample.segmentEnd = j == n || j == 0;
        onSample(sample);
    }
    station_ += summary.length;
    return summary;
}

} // namespace trassolin
