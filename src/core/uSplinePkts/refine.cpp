#include "uSplinePkts/spline_punkte.h"

#include "uGlobal/angle_range.h"
#include "uGlobal/checked_math.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>

namespace trassolin {

namespace {

constexpr double kPi = std::numbers::pi;

// 89 degrees in radians, the double nearest to the exact value. A heading may leave the chord
// by up to this much: at 90 degrees the lateral slope tan(a) has no finite value, and close
// to it the cubic swings far out.
constexpr double kMaxChordAngle = 1.5533430342749532;
// Yrot * pi / 180 + h carries a few ulps of rounding (89 * pi / 180 alone lands one ulp above
// the limit), so an angle of exactly 89 degrees must not fail on rounding. 1E-12 rad is far
// below anything a user can mean (89.01 degrees is 1.7E-4 rad above the limit).
constexpr double kAngleTolerance = 1e-12;

// Degrees stay within -90 .. 270, radians within -pi/2 .. 3*pi/2.
double normaliseDegrees(double value) { return raiseThenLower(value, -90.0, 270.0, 360.0); }
double normaliseRadians(double value) {
    return raiseThenLower(value, -kPi / 2, 3 * kPi / 2, 2 * kPi);
}

std::string pair(int i, const char* between) {
    return "SplinePunkte " + std::to_string(i + 1) + between + std::to_string(i + 2);
}

// Heading of the horizontal chord (dx, dz), rad: the world direction of the chord is
// (-sin h, 0, cos h).
double chordHeading(double dx, double dz) {
    if (dz == 0.0 && dx > 0.0) return -kPi / 2;
    if (dz == 0.0 && dx < 0.0) return kPi / 2;
    double h = -std::atan(dx / dz);
    if (dz < 0.0) h += kPi;
    return h;
}

} // namespace

bool TSplinePunkte::refine(MessageSink& messages, char decimalSeparator) {
    if (count() < 2) {
        messages.show(MessageKind::Information,
                      "Es müssen mindestens zwei SplinePunkte vorhanden sein!");
        return false;
    }
    for (int i = 0; i + 1 < count(); ++i) {
        TSplinePkt& P = points_[static_cast<std::size_t>(i)];
        TSplinePkt& Q = points_[static_cast<std::size_t>(i) + 1];

        const double dx = requireFinite(Q.X - P.X);
        const double dy = requireFinite(Q.Y - P.Y);
        const double dz = requireFinite(Q.Z - P.Z);
        // Horizontal only: the climb is the height cubic's business.
        const double d = requireFinite(std::sqrt(dx * dx + dz * dz));
        P.chordLength = d;
        if (d < 1.0) {
            messages.show(MessageKind::Warning, pair(i, " und ") + " nur " +
                                                    formatGeneral(d, decimalSeparator) +
                                                    " auseinander!");
        }
        if (d < kMinChordLength) return false;

        const double h = chordHeading(dx, dz);
        P.chordHeading = h;

        P.Yrot = normaliseDegrees(P.Yrot);
        Q.Yrot = normaliseDegrees(Q.Yrot);

        // The heading at one end against the chord; false (after the warning) beyond 89 degrees.
        const auto withinLimit = [&](double angle, const char* end) {
            if (std::fabs(angle) <= kMaxChordAngle + kAngleTolerance) return true;
            messages.show(MessageKind::Warning,
                          pair(i, " - ") + ": Winkel am " + end + " der Verbindungslinie zu gross " +
                              formatGeneral(angle * 180 / kPi, decimalSeparator));
            return false;
        };
        const double a1 = normaliseRadians(P.Yrot * kPi / 180 + h);
        if (!withinLimit(a1, "Anfang")) return false;
        P.startAngle = a1;
        const double C = std::tan(a1);

        const double a2 = normaliseRadians(Q.Yrot * kPi / 180 + h);
        if (!withinLimit(a2, "Ende")) return false;
        P.endAngle = a2;
        const double m2 = std::tan(a2);

        // Hermite cubic with x(0) = x(d) = 0, x'(0) = C, x'(d) = m2.
        P.A = requireFinite((C + m2) / (d * d));
        P.B = requireFinite(-(2 * C + m2) / d);
        P.C = C;

        P.Xrot = normaliseDegrees(P.Xrot);
        Q.Xrot = normaliseDegrees(Q.Xrot);
        // A positive Xrot falls ahead; the slope is taken along the chord, hence / cos a.
        const double s1 = std::tan(-P.Xrot * kPi / 180) / std::cos(a1);
        const double s2 = std::tan(-Q.Xrot * kPi / 180) / std::cos(a2);

        // Hermite cubic with y(0) = 0, y(d) = dy, y'(0) = s1, y'(d) = s2.
        P.D = requireFinite(((s1 + s2) * d - 2 * dy) / (d * d * d));
        P.E = requireFinite((3 * dy - d * (2 * s1 + s2)) / (d * d));
        P.F = requireFinite(s1);

        // Degrees, the short way round; the difference of two finite banks may still overflow.
        P.bankChange = lowerThenRaise(Q.Zrot - P.Zrot, -180.0, 180.0, 360.0);
    }
    return true;
}

void TSplinePunkte::evaluate(int segment, TPunkt& target, double t) const {
    if (segment < 0 || segment >= count()) {
        throw std::out_of_range("TSplinePunkte::evaluate: segment " + std::to_string(segment));
    }
    const TSplinePkt& P = points_[static_cast<std::size_t>(segment)];
    const double s = t * P.chordLength; // m along the chord
    target.z = s;
    target.x = ((P.A * s + P.B) * s + P.C) * s;
    target.yrot = -std::atan((3 * P.A * s + 2 * P.B) * s + P.C);
    target.y = ((P.D * s + P.E) * s + P.F) * s;
    target.xrot = std::cos(target.yrot) * std::atan((3 * P.D * s + 2 * P.E) * s + P.F);
    target.zrot = (t * P.bankChange + P.Zrot) * kPi / 180;
}

} // namespace trassolin
