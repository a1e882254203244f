#pragma once

// Choosing the road's stations: which candidates of the refined path become samples, and the
// pose, distance, slope and curvature of each. What is built at a sample is the road
// builder's business (road.h).

#include "generation/random_sequence.h"
#include "generation/run_inputs.h"
#include "uGlobal/punkt.h"
#include "uSplinePkts/spline_punkte.h"

#include <functional>

namespace trassolin {

struct Sample {
    TPunkt pose;             // world pose, camber added to the bank, normal from the rotations
    double distance = 0.0;   // straight distance from the previous sample, m (0 at the start)
    double station = 0.0;    // m along the path: the sum of the distances up to here
    double slope = 0.0;      // degrees; 0 within 0.1 m horizontally of the previous sample
    double curvature = 0.0;  // rad of heading per horizontal metre; 0 at the path's end
    double headingStep = 0.0; // rad of heading since the previous sample
    bool mirror = false;     // a random mirror candidate: the texture turns here
    bool segmentEnd = false; // the path's first sample or a segment's last: a full section
    bool pathEnd = false;    // the last sample of the whole path
};

// What the status log reports of a segment.
struct SegmentSummary {
    double length = 0.0;      // m, the sum of its samples' distances
    double minSlope = 1e10;   // degrees; stays 1e10 without any slope
    double maxSlope = -1e10;
};

// Walks the candidates of the refined path, less than 0.5 m apart along each chord, and
// keeps those that spacing, heading, climb, bank or a random mirror call for, plus every
// segment's end. Draws one random number per candidate when random mirroring is on.
class PathSampler {
public:
    PathSampler(const TSplinePunkte& splines, const RunInputs& in, RandomSequence& random);

    int segments() const { return segments_; }
    // The samples of segment i, in order, each handed to `onSample`. Segments are taken in
    // order from 0; the first sample of a later segment is the previous segment's last.
    SegmentSummary sampleSegment(int i, const std::function<void(const Sample&)>& onSample);

private:
    const TSplinePunkte& splines_;
    const RunInputs& in_;
    RandomSequence& random_;
    int segments_;
    double station_ = 0.0;
    double spacingLimit_, minYaw_, minPitch_, minRoll_;
};

// Segments longer than this (m, horizontal) stop the run instead of sampling for hours.
inline constexpr double kMaxChordLength = 1'000'000.0;

} // namespace trassolin
