#include "uFuellFlaeche/fuell_flaeche.h"

#include "uGlobal/checked_math.h"
#include "uGlobal/errors.h"
#include "uGlobal/rand_punkte.h"

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

        const int c = records_.back().corner;
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
        records_.pop_back();

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
