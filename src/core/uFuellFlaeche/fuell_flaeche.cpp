#include "uFuellFlaeche/fuell_flaeche.h"

#include "uGlobal/checked_math.h"
#include "uGlobal/errors.h"
#include "uGlobal/rand_punkte.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace trassolin {

namespace {

// pi/2 rounded to 64 bits, as the run uses it to stand the faces up again. Its cosine is not
// quite 0: a laid-down point keeps a y of about 6e-17 times its height, which the fill plane
// (x and z only) ignores.
constexpr double kHalfPi = 1.5707963267948966;

int sign(double value) {
    return (value > 0.0) - (value < 0.0);
}

std::size_t at(int index) {
    return static_cast<std::size_t>(index);
}

// Twice the signed area of (a, b, q) in the fill plane: positive when q lies to the left of
// the way from a to b, that is inside for an outline that runs counter-clockwise in (x, z).
double turn(const TPunkt& a, const TPunkt& b, const TPunkt& q) {
    return (b.x - a.x) * (q.z - a.z) - (b.z - a.z) * (q.x - a.x);
}

// Whether the triangle cut off at corner c holds no other corner of the working polygon
// strictly inside: only then is the corner an ear, and clipping it keeps the face inside its
// outline. Corners on the triangle's edges do not count as inside.
bool isEar(const std::vector<TPunkt>& polygon, int c) {
    const int m = static_cast<int>(polygon.size());
    const int p = c == 0 ? m - 1 : c - 1;
    const int s = c == m - 1 ? 0 : c + 1;
    const TPunkt& a = polygon[at(p)];
    const TPunkt& b = polygon[at(c)];
    const TPunkt& d = polygon[at(s)];
    for (int q = 0; q < m; ++q) {
        if (q == p || q == c || q == s) continue;
        const TPunkt& other = polygon[at(q)];
        if (turn(a, b, other) > 0 && turn(b, d, other) > 0 && turn(d, a, other) > 0) return false;
    }
    return true;
}

// The end faces must close the body below the road and the verges. The straight line between
// the two outer profile ends does that only while every other outline point lies strictly
// above it; a ditch dipping below it would make the outline cross itself, and a kerb rising
// above the road would close the air above the road instead. Otherwise the face reaches down to
// a base 0.1 m below the lowest point of the body.
constexpr double kBaseBelowLowestPoint = 0.1;

void closeBelowTheBody(std::vector<TPunkt>& outline, int rightCount) {
    if (rightCount < 1 || rightCount >= static_cast<int>(outline.size())) return;
    const TPunkt& a = outline[at(rightCount - 1)]; // outer end of the right profile
    const TPunkt& b = outline[at(rightCount)];     // outer end of the left profile
    bool allAbove = true;
    double zmin = outline.front().z;
    for (int k = 0; k < static_cast<int>(outline.size()); ++k) {
        const TPunkt& p = outline[at(k)];
        zmin = std::min(zmin, p.z);
        if (k != rightCount - 1 && k != rightCount && !(turn(a, b, p) > 0)) allAbove = false;
    }
    if (allAbove) return;
    TPunkt belowRight = a, belowLeft = b;
    for (TPunkt* base : {&belowRight, &belowLeft}) {
        base->y = 0.0;
        base->z = zmin - kBaseBelowLowestPoint;
    }
    outline.insert(outline.begin() + rightCount, {belowRight, belowLeft});
    for (int k = 0; k < static_cast<int>(outline.size()); ++k) outline[at(k)].index = k;
}

// Frees the corner records on every way out of a triangulation, the throwing ones included.
class RecordsGuard {
public:
    explicit RecordsGuard(std::vector<TFFrec>& records) : records_(records) {}
    ~RecordsGuard() { records_.clear(); }
    RecordsGuard(const RecordsGuard&) = delete;
    RecordsGuard& operator=(const RecordsGuard&) = delete;

private:
    std::vector<TFFrec>& records_;
};

} // namespace

int compareCornerRecords(const TFFrec& a, const TFFrec& b) {
    // Whole hundredths of the key difference, cut toward zero: keys closer than 0.01 tie.
    const long double t = std::trunc((static_cast<long double>(a.key) - b.key) * 100.0L);
    return (t > 0.0L) - (t < 0.0L);
}

void sortCornerRecords(std::vector<TFFrec>& records, int left, int right) {
    // Among tied corners this partition scheme alone decides which one ends last and is
    // clipped; a stable sort or a maximum scan would clip another corner and change the mesh.
    int l = left;
    for (;;) {
        int i = l;
        int j = right;
        const TFFrec pivot = records[at((l + right) / 2)];
        do {
            while (compareCornerRecords(records[at(i)], pivot) < 0)
                ++i;
            while (compareCornerRecords(records[at(j)], pivot) > 0)
                --j;
            if (i <= j) {
                std::swap(records[at(i)], records[at(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (l < j) sortCornerRecords(records, l, j);
        if (i >= right) return;
        l = i;
    }
}

void TFuellFlaeche::clear() {
    outline_.clear();
    records_.clear();
}

void TFuellFlaeche::buildOutline(const TRandPunkte& right, const TRandPunkte& left,
                                 double roadWidth) {
    clear();
    TPunkt work;
    TPunkt placed;
    const auto append = [&](const TRandPunkte& profile, int j) {
        profile.placeProfilePoint(work, placed, j);
        placed.rotateX(kHalfPi); // (x, y0, 0) into the fill plane as (x, 0, y0)
        placed.index = outline_.count();
        *outline_.get(outline_.add()) = placed;
    };

    // From the right road border outwards, then from the left profile's outer end back in:
    // the road surface line closes the outline.
    work.resetPose();
    work.x = -roadWidth / 2;
    for (int j = 0; j < right.count(); ++j)
        append(right, j);

    work.resetPose();
    work.x = roadWidth / 2;
    for (int j = left.count() - 1; j >= 0; --j)
        append(left, j);

    closeBelowTheBody(outline_.points(), right.count());
}

void TFuellFlaeche::computeTextureCoordinates() {
    outline_.computeCentroid();
    const TPunkt& centroid = outline_.centroid();

    // Every quotient first, so a zero texture size leaves the outline as it was.
    std::vector<double> us, vs;
    us.reserve(at(outline_.count()));
    vs.reserve(at(outline_.count()));
    TPunkt d;
    for (const TPunkt& p : outline_.points()) {
        centroid.difference(p, d);
        const double across = swap ? d.z : d.x;
        const double upright = swap ? d.x : d.z;
        us.push_back(requireFinite(checkedDivide<long double>(across, textureWidth)));
        vs.push_back(requireFinite(checkedDivide<long double>(upright, textureHeight)));
    }
    std::size_t k = 0;
    for (TPunkt& p : outline_.points()) {
        p.u = us[k];
        p.v = vs[k];
        ++k;
    }
}

int TFuellFlaeche::triangulate(std::vector<Triangle>& triangles, int baseIndex,
                               bool reversedWinding, MessageSink& messages) {
    const int n = outline_.count();
    RecordsGuard guard(records_);

    std::vector<TPunkt> polygon = outline_.points();
    for (int k = 0; k < n; ++k)
        polygon[at(k)].index = k;
    std::vector<TPunkt> edges(at(n));
    records_.assign(at(n), TFFrec{});

    computeTextureCoordinates();
    if (n < 3) return 0; // nothing to close: both profiles hold only their origin

    int count = 0;
    const auto emit = [&](const TPunkt& first, const TPunkt& second, const TPunkt& third) {
        triangles.push_back(
            {baseIndex + first.index, baseIndex + second.index, baseIndex + third.index});
        ++count;
    };

    int remaining = n;
    while (remaining >= 4) {
        const int m = static_cast<int>(polygon.size());
        const auto pred = [m](int k) { return k == 0 ? m - 1 : k - 1; };
        const auto succ = [m](int k) { return k == m - 1 ? 0 : k + 1; };

        polygon[0].difference(polygon[at(m - 1)], edges[at(m - 1)]);
        TPunkt chord;
        for (int k = 0; k < m; ++k) {
            polygon[at(succ(k))].difference(polygon[at(k)], edges[at(k)]);
            polygon[at(succ(k))].difference(polygon[at(pred(k))], chord);
            const TPunkt& in = edges[at(pred(k))];
            const TPunkt& out = edges[at(k)];
            // The detour over the corner against the straight chord: 1 for a straight corner,
            // growing as it gets sharper. Summed in extended precision, stored in 64 bits.
            const long double detour = static_cast<long double>(in.horizontalLength()) +
                                       static_cast<long double>(out.horizontalLength());
            double key = requireFinite(checkedDivide<long double>(detour, chord.horizontalLength()));
            // The turn's sense: convex corners rank positive for an outline that runs as
            // built, reflex ones negative.
            key = -sign(horizontalCross(in, out)) * key;
            records_[at(k)] = {k, key};
        }

        sortCornerRecords(records_, 0, m - 1);

        // The highest-ranking convex corner that is an ear; on an outline whose highest
        // corner is an ear (every convex one) that is the last record, as it always was.
        auto chosen = records_.end() - 1;
        for (auto r = records_.end(); r != records_.begin();) {
            --r;
            if (r->key > 0 && isEar(polygon, r->corner)) {
                chosen = r;
                break;
            }
        }
        const int c = chosen->corner;
        const TPunkt& corner = polygon[at(c)];
        const TPunkt& p = polygon[at(pred(c))];
        const TPunkt& s = polygon[at(succ(c))];
        if (reversedWinding) {
            emit(corner, p, s);
        } else {
            emit(corner, s, p);
        }

        polygon.erase(polygon.begin() + c);
        edges.pop_back();
        records_.erase(chosen);

        --remaining;
        if (static_cast<int>(polygon.size()) != remaining ||
            static_cast<int>(edges.size()) != remaining) {
            messages.show(MessageKind::Information, "interner Fehler beim Füllen");
        }
    }

    if (reversedWinding) {
        emit(polygon[0], polygon[2], polygon[1]);
    } else {
        emit(polygon[0], polygon[1], polygon[2]);
    }
    return count;
}

} // namespace trassolin
