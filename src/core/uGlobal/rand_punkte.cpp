#include "uGlobal/rand_punkte.h"

#include "uGlobal/angle_range.h"
#include "uGlobal/checked_math.h"
#include "uGlobal/degrees.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace trassolin {

namespace {

constexpr double kPi = std::numbers::pi;

// Normal angles are kept within -pi/2 .. 3*pi/2 rad; the editors, the listing and the
// parameter file show them in that range (as degrees).
double normaliseNormalAngle(double angle) {
    return lowerThenRaise(angle, -kPi / 2, 3 * kPi / 2, 2 * kPi);
}

// The turn from one segment to the next, the short way round (rad).
double turnBetween(double from, double to) {
    return lowerThenRaise(to - from, -kPi, kPi, 2 * kPi);
}

void setNormal(Randsegment& s, double angle) {
    s.normalAngle = normaliseNormalAngle(angle);
    s.normalCos = std::cos(s.normalAngle);
    s.normalSin = std::sin(s.normalAngle);
}


// Pixel rounding of the cross-section graphic: half to even. A value that is no number or
// beyond any pixel range is a failed floating operation, not a far-away pixel.
std::int64_t pixel(double value) {
    const double r = std::nearbyint(value);
    if (!(std::fabs(r) < 9.2e18)) throw FloatingPointError(kInvalidFloatOperation);
    return static_cast<std::int64_t>(r);
}

// Where a coordinate lies in the view, 0 at the least and 1 at the greatest value; a view
// without extent cannot be mapped.
double viewFraction(double offset, double least, double greatest) {
    return checkedDivide(offset - least, greatest - least);
}

} // namespace

TRandPunkte::TRandPunkte(std::string name, bool rightSide)
    : segments_(2), name_(std::move(name)), rightSide_(rightSide) {}

int TRandPunkte::appendSegment() {
    segments_.emplace_back();
    return count() - 1;
}

void TRandPunkte::insertCopyOfCurrent() {
    // The windows keep current within the list; anything else would copy a segment that
    // does not exist.
    if (current < 0 || current >= count()) return;
    const Randsegment copy = segments_[static_cast<std::size_t>(current)];
    segments_.insert(segments_.begin() + current, copy);
}

Randsegment* TRandPunkte::getSegment(int index) {
    if (index < 0) {
        throw std::out_of_range("TRandPunkte::getSegment: index " + std::to_string(index));
    }
    return index < count() ? &segments_[static_cast<std::size_t>(index)] : nullptr;
}

const Randsegment* TRandPunkte::getSegment(int index) const {
    return const_cast<TRandPunkte*>(this)->getSegment(index);
}

void TRandPunkte::setSegment(int index, const Randsegment& segment) {
    if (index < 0 || index >= count()) return;
    segments_[static_cast<std::size_t>(index)] = segment;
}

void TRandPunkte::deleteSegment(int index, MessageSink& messages) {
    if (index <= 0 || index >= count()) return; // the origin stays
    segments_.erase(segments_.begin() + index);
    recompute(messages);
}

void TRandPunkte::updateSegmentGeometry(int index) {
    if (index <= 0 || index >= count()) return;
    Randsegment& s = segments_[static_cast<std::size_t>(index)];
    s.dx = std::cos(s.angle) * s.length;
    s.dy = std::sin(s.angle) * s.length;
    setNormal(s, s.manualNormal ? s.normalAngle : s.angle + kPi / 2);
}

void TRandPunkte::recompute(MessageSink& messages) {
    if (!enabled) return;
    extent_ = {};
    if (count() <= 1) return;

    Randsegment& origin = segments_.front();
    origin.x0 = 0.0;
    origin.y0 = 0.0;
    origin.length = 0.0;
    if (origin.manualNormal) {
        setNormal(origin, origin.normalAngle);
    } else {
        origin.angle = segments_[1].angle;
        setNormal(origin, origin.angle + kPi / 2);
    }

    double x = 0.0, y = 0.0;
    const int last = count() - 1;
    for (int i = 1; i <= last; ++i) {
        Randsegment& s = segments_[static_cast<std::size_t>(i)];
        x += s.dx;
        y += s.dy;
        s.x0 = x;
        s.y0 = y;
        extent_.maxX0 = std::max(extent_.maxX0, x);
        extent_.minX0 = std::min(extent_.minX0, x);
        extent_.maxY0 = std::max(extent_.maxY0, y);
        extent_.minY0 = std::min(extent_.minY0, y);

        if (s.manualNormal) continue; // the user's normal is neither recomputed nor checked

        if (i < last) {
            // The bisector of this segment and the next, turned up by 90 degrees.
            const double next = segments_[static_cast<std::size_t>(i) + 1].angle;
            const double delta = turnBetween(s.angle, next);
            setNormal(s, s.angle + delta / 2 + kPi / 2);
        } else {
            setNormal(s, s.angle + kPi / 2);
        }

        const std::string point = name_ + " - Randpunkt " + std::to_string(i);
        if (s.length < 0.001) {
            messages.show(MessageKind::Warning,
                          point + ": Länge kleiner als 1 mm ! Sind Sie sicher?");
        }
        if (std::fabs(s.u - segments_[static_cast<std::size_t>(i) - 1].u) < 0.000001) {
            messages.show(MessageKind::Warning,
                          point + ": Unterschied in den Texturkoordinaten zum vorhergehenden "
                                  "Punkt kleiner 0.000001 ! Sind Sie sicher?");
        }
    }
}

void TRandPunkte::computeUFromTextureWidth(MessageSink& messages) {
    if (!(textureWidth > 0.0)) {
        messages.show(MessageKind::Warning, "Texturbreite ist Null");
        return;
    }
    if (count() < 2) return;
    double u = segments_.front().u;
    for (std::size_t i = 1; i < segments_.size(); ++i) {
        u = u + segments_[i].length / textureWidth;
        segments_[i].u = u;
    }
}

void TRandPunkte::placeProfilePoint(const TPunkt& base, TPunkt& target, int j) const {
    const Randsegment* s = getSegment(j);
    if (s == nullptr) {
        throw std::out_of_range("TRandPunkte::placeProfilePoint: index " + std::to_string(j));
    }
    target.resetPose();
    // A road pose's local +X points left: the right profile lies at negative x.
    const double side = rightSide_ ? -1.0 : 1.0;
    target.x = side * s->x0;
    target.y = s->y0;
    target.z = 0.0;
    // The profile follows bank and heading but not the climb: its points stay plumb above the
    // edge line, only the normal leans back with the climb (as in normalFromRotations).
    target.nx = side * s->normalCos;
    target.ny = std::cos(base.xrot) * s->normalSin;
    target.nz = -std::sin(base.xrot) * s->normalSin;
    target.rotateZ(base.zrot);
    target.rotateY(base.yrot);
    target.x += base.x;
    target.y += base.y;
    target.z += base.z;
    target.u = s->u;
}

void TRandPunkte::listing(std::vector<std::string>& lines, char decimalSeparator) const {
    if (count() <= 1) return;
    const auto general = [decimalSeparator](double v) {
        return formatGeneral(v, decimalSeparator);
    };
    // Degrees to 0.01, lengths and texture coordinates to 0.001 (mm).
    const auto deg = [decimalSeparator](double radians) {
        return formatDegrees(radians, decimalSeparator);
    };
    const auto mm = [&](double v) { return general(decimalRound(v, -3)); };

    lines.push_back("Randpunkte-Ausgabe für: " + name_);
    for (int i = 0; i < count(); ++i) {
        const Randsegment& s = segments_[static_cast<std::size_t>(i)];
        lines.push_back("Punkt " + std::to_string(i) + ": Länge=" + general(s.length) +
                        "; Winkel=" + deg(s.angle) + "; x=" + mm(s.dx) + "; y=" + mm(s.dy) +
                        "; x0=" + mm(s.x0) + "; y0=" + mm(s.y0) + "; Normale " +
                        (s.manualNormal ? "man" : "auto") + " Winkel=" + deg(s.normalAngle) +
                        "; U=" + mm(s.u));
    }
}

void TRandPunkte::copyFrom(const TRandPunkte& other, MessageSink& messages) {
    enabled = other.enabled;
    textureFileName = other.textureFileName;
    textureLength = other.textureLength;
    textureWidth = other.textureWidth;
    resetInsteadOfMirror = other.resetInsteadOfMirror;
    texturePixels = other.texturePixels;
    resize(other.count(), messages);
    for (int i = 0; i < other.count(); ++i) setSegment(i, *other.getSegment(i));
    recompute(messages);
}

void TRandPunkte::resize(int entries, MessageSink& messages) {
    const int n = std::max(1, entries);
    while (count() < n) appendSegment();
    // Each deletion recomputes, as when the editor removes segments one by one.
    while (count() > n) deleteSegment(count() - 1, messages);
}

void TRandPunkte::draw(Canvas& canvas, Colour colour, int width, int height, double xOffset,
                       double yOffset, double leastX, double greatestX, double leastY,
                       double greatestY) const {
    if (!enabled) return;
    // The graphic shows the right edge to the right of the road, the left one to the left.
    const double side = rightSide_ ? 1.0 : -1.0;
    constexpr int kProfilePen = 3;
    constexpr double kNormalPixels = 15.0;

    canvas.setPen(colour, kProfilePen);
    bool broken = true; // no visible point yet
    for (const Randsegment& s : segments_) {
        const std::int64_t px =
            pixel(viewFraction(xOffset + side * s.x0, leastX, greatestX) * width);
        const std::int64_t py =
            pixel((1 - viewFraction(yOffset + s.y0, leastY, greatestY)) * height);
        if (px < 0 || px > width || py < 0 || py > height) {
            broken = true;
            continue;
        }
        const int x = static_cast<int>(px), y = static_cast<int>(py);
        canvas.setPen(colour, kProfilePen);
        if (broken) {
            canvas.moveTo(x, y);
        } else {
            canvas.lineTo(x, y);
        }
        broken = false;

        canvas.setPen(kRed, 1);
        const int nx = static_cast<int>(pixel(std::cos(s.normalAngle) * kNormalPixels));
        const int ny = static_cast<int>(pixel(std::sin(s.normalAngle) * kNormalPixels));
        canvas.lineTo(rightSide_ ? x + nx : x - nx, y - ny);
        canvas.moveTo(x, y);
    }
}

} // namespace trassolin
