#include "generation/run_bounds.h"

#include "generation/path_sampler.h"
#include "generation/run_inputs.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace trassolin {

RunSize runSizeAtMost(const ParameterSet& params) {
    const TSplinePunkte& splines = params.splines;
    RunSize size;
    // The road builder evaluates trunc(2 L) + 2 candidates on a chord of L metres, and takes
    // each as a sample at most once. A chord beyond the longest one stops the builder there.
    for (int i = 0; i + 1 < splines.count(); ++i) {
        const double chord = splines.points()[static_cast<std::size_t>(i)].chordLength;
        size.candidates += std::trunc(2.0 * std::min(chord, kMaxChordLength)) + 2;
    }
    const double samples = size.candidates;

    // Per sample: the road's two border vertices, and two more where a texture reset repeats
    // both as the seam (at most once a sample); an edge's profile points, and a second section
    // where its own texture resets (at most once a border point). The fill: two faces.
    double perSample = 0.0;
    if (params.fahrbahnErzeugen) perSample += params.ruecksetzen ? 4.0 : 2.0;
    for (const TRandPunkte* edge : {&params.rechterRand, &params.linkerRand}) {
        if (edge->enabled) perSample += edge->count() * (edge->resetInsteadOfMirror ? 2.0 : 1.0);
    }
    const double fill = params.fuellFlaecheErzeugen
                            ? 2.0 * (params.rechterRand.count() + params.linkerRand.count() + 2)
                            : 0.0;
    size.meshVertices = samples * perSample + fill;

    // A control vertex per sample, and a curve of fewer than four is padded to four.
    const int curves =
        int{params.trafficMitte} + int{params.trafficRechts} + int{params.trafficLinks};
    size.curvePoints = curves * std::max(samples, 4.0);
    return size;
}

void refuseOversizedRun(const RunSize& size, int points) {
    // "<what> <count> <unit>; mehr als <limit> <verb> Trassolin nicht.<advice>"
    const auto refuse = [](const char* what, double count, const char* unit, double limit,
                           const char* verb, const char* advice) {
        throw TrassolinError(std::string(what) + formatGrouped(count) + unit + "; mehr als " +
                             formatGrouped(limit) + " " + verb + " Trassolin nicht." + advice);
    };
    if (points > kMaxSplinePoints) {
        refuse("Die Straße hat ", points, " Spline-Punkte", kMaxSplinePoints, "verarbeitet", "");
    }
    if (size.candidates > kMaxPathCandidates) {
        refuse("Der Weg der Straße würde an bis zu ", size.candidates, " Stellen abgetastet",
               kMaxPathCandidates, "prüft", " Eine kürzere Straße wählen.");
    }
    if (size.meshVertices > kMaxMeshVertices) {
        refuse("Die Straße würde bis zu ", size.meshVertices, " Vertices erhalten",
               kMaxMeshVertices, "erzeugt",
               " Weniger Randsegmente oder eine kürzere Straße wählen.");
    }
    if (size.curvePoints > kMaxCurvePoints) {
        refuse("Die Verkehrssplines würden bis zu ", size.curvePoints, " Kontrollpunkte erhalten",
               kMaxCurvePoints, "erzeugt", " Weniger Verkehrssplines oder eine kürzere Straße wählen.");
    }
}

} // namespace trassolin
