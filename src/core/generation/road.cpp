#include "generation/road.h"

#include "uGlobal/checked_math.h"
#include "generation/traffic.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <cmath>
#include <numbers>
#include <string>

namespace trassolin {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;

enum class Side { Right, Left };

// Emits the border points of the samples and, with the road on, their vertices and the
// triangles that each new vertex closes with the two written before it.
class BorderEmitter {
public:
    BorderEmitter(const RunInputs& in, RunState& state) : in_(in), state_(state) {}

    void emit(Side side, const TPunkt& sample, double offset, double v) {
        TPunkteSammlung& list = side == Side::Right ? state_.rightEdge : state_.leftEdge;
        TPunkt& p = *list.get(list.add());
        p = sample;
        p.offsetLateral(offset);
        p.u = side == Side::Right ? in_.texEnde : in_.texStart;
        p.v = v;
        if (!in_.road) return;
        MeshLines& mesh = state_.mesh;
        const int index = mesh.vertexCount();
        mesh.writeVertex(p);
        if (mesh.vertexCount() > 2) {
            if (side == Side::Right) {
                mesh.writeTriangle(index - 1, index - 2, index);
            } else {
                mesh.writeTriangle(index - 2, index - 1, index);
            }
        }
    }

    // The seam of a reset: both last border points again, with the new V and no triangle.
    void duplicateLast(Side first, double v) {
        TPunkt& right = state_.rightEdge.points().back();
        TPunkt& left = state_.leftEdge.points().back();
        right.v = v;
        left.v = v;
        if (first == Side::Right) {
            state_.mesh.writeVertex(right);
            state_.mesh.writeVertex(left);
        } else {
            state_.mesh.writeVertex(left);
            state_.mesh.writeVertex(right);
        }
    }

private:
    const RunInputs& in_;
    RunState& state_;
};

std::string segmentLine(int i, double length, double mean, double minSlope, double maxSlope) {
    std::string line = "Spline  " + std::to_string(i + 1) + "-" + std::to_string(i + 2) +
                       ": Fahrbahnlänge = ";
    appendFixed(line, length);
    line += " m  --  mittlere Steigung = ";
    appendFixed(line, mean);
    line += "°  --  minimale Steigung = ";
    appendFixed(line, minSlope);
    line += "°   -  maximale Steigung = ";
    appendFixed(line, maxSlope);
    line += "°";
    return line;
}

} // namespace

double buildRoad(const TSplinePunkte& splines, const RunInputs& in, RunState& state,
                 RoadTexture& texture, RandomSequence& random, StatusLog& log) {
    const Preferences& pref = in.preferences;
    const double spacingLimit = pref.dreieckeSym ? 3.5 : 1.75;
    const double minYaw = pref.minWinkel * kDegToRad;
    const double minPitch = pref.minSteigung * kDegToRad;
    const double minRoll = pref.minZRot * kDegToRad;
    const double B = in.breite;
    const double Sch = in.schleppkurve;

    BorderEmitter border(in, state);
    Side next = Side::Right; // the side of the next single vertex; persists across segments
    TPunkt candidate, last, d;
    double totalLength = 0.0;
    const int segments = splines.count() - 1;

    for (int i = 0; i < segments; ++i) {
        const TSplinePkt& P = splines.points()[static_cast<std::size_t>(i)];
        if (!(P.chordLength <= kMaxChordLength)) {
            throw TrassolinError("SplinePunkte " + std::to_string(i + 1) + " und " +
                                 std::to_string(i + 2) + " liegen " +
                                 formatGeneral(P.chordLength, in.decimalSeparator) +
                                 " m auseinander: zu weit für eine Straße");
        }
        const int n = static_cast<int>(std::trunc(2.0 * P.chordLength)) + 1;
        double length = 0.0;
        double minSlope = 1e10, maxSlope = -1e10;

        for (int j = 0; j <= n; ++j) {
            splines.evaluate(i, candidate, static_cast<double>(j) / n);
            if (j == 0) last = candidate;
            candidate.difference(last, d);
            const double X = d.length();

            bool far = checkedDivide(X, in.shortestTextureLength) > spacingLimit;
            const double dYaw = std::fabs(d.yrot), dPitch = std::fabs(d.xrot),
                         dRoll = std::fabs(d.zrot);
            if (X > pref.minLaenge && (dYaw > minYaw || dPitch > minPitch || dRoll > minRoll)) {
                far = true;
            }
            if (dYaw > 2 * minYaw || dPitch > 2 * minPitch || dRoll > 2 * minRoll) far = true;

            bool mirror = false;
            if (in.rueckfaltung) {
                // Drawn for every candidate, so the sequence does not depend on the samples.
                mirror = random.next() < in.rueckfaltungP && j != 0;
            }
            if (!(((far || mirror) && j != 0) || (i == 0 && j == 0) || j == n)) continue;

            const bool finalSample = i == segments - 1 && j == n;
            const double R = d.horizontalLength();
            double slope = 0.0, c = 0.0;
            if (R > 0.1) {
                slope = std::atan(d.y / R) * 180.0 / std::numbers::pi;
                if (slope > maxSlope) maxSlope = slope;
                if (slope < minSlope) minSlope = slope;
                c = d.yrot / R; // rad of heading per horizontal metre
            }
            if (finalSample) c = 0.0;

            length += X;
            // A part that is off never divides by its texture length.
            const double increment =
                in.road ? checkedDivide(X, in.texLaenge) * texture.direction() *
                              (1.0 + in.streckung * slope / 90.0)
                        : 0.0;

            // Camber: approaches maxSturz degrees as |c * St| grows, with the sign of c.
            candidate.zrot += std::atan(c * in.sturz) * pref.maxSturz / 90.0;
            last = candidate;

            candidate.rotateY(P.chordHeading);
            candidate.x += P.X;
            candidate.y += P.Y;
            candidate.z += P.Z;
            candidate.normalFromRotations();
            *state.centre.get(state.centre.add()) = candidate;

            const double widening = std::fabs(c) * Sch;
            const double rightOffset = -(B + widening * (2 + signum(c))) / 2.0;
            const double leftOffset = (B + widening * (2 - signum(c))) / 2.0;
            addTrafficPoints(in, state, candidate, c);

            RoadTextureFlags flags;
            double shear = 0.0;
            if (in.road) {
                flags = texture.decide(increment, in.ruecksetzen, finalSample);
                shear = -d.yrot * B / 2.0 / in.texLaenge;
            }
            const bool full = j == n || j == 0 || mirror || flags.limitMirror || flags.reset ||
                              pref.dreieckeSym;
            if (full) shear = 0.0;

            const double w = texture.coordinate();
            double lastV = 0.0;
            if (next == Side::Right) {
                lastV = w + increment + shear;
                border.emit(Side::Right, candidate, rightOffset, lastV);
            }
            if (next == Side::Left || full) {
                lastV = w + increment - shear;
                border.emit(Side::Left, candidate, leftOffset, lastV);
            }
            if (full && next == Side::Left) {
                lastV = w + increment;
                border.emit(Side::Right, candidate, rightOffset, lastV);
            }
            if (!full) next = next == Side::Right ? Side::Left : Side::Right;

            if (in.road && texture.advance(lastV, mirror, flags)) {
                border.duplicateLast(next, texture.coordinate());
            }
        }

        const TSplinePkt& Q = splines.points()[static_cast<std::size_t>(i) + 1];
        const double mean =
            std::atan(checkedDivide(Q.Y - P.Y, length)) * 180.0 / std::numbers::pi;
        log.append(segmentLine(i, length, mean, minSlope, maxSlope));
        totalLength += length;
    }

    std::string total = "Gesamt-Fahrbahnlänge = ";
    appendFixed(total, totalLength);
    total += " m";
    log.append(total);
    return totalLength;
}

} // namespace trassolin
