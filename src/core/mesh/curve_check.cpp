#include "mesh/curve_check.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <unordered_map>
#include <utility>

namespace trassolin {

namespace {

constexpr int kDegree = 3;
constexpr double kInfinite = std::numeric_limits<double>::infinity();

// The clamped uniform knot vector of n control vertices: four zeros, n - 4 knots evenly
// between, four ones.
double knot(int k, int n) {
    if (k <= kDegree) return 0.0;
    if (k >= n) return 1.0;
    return static_cast<double>(k - kDegree) / (n - kDegree);
}

// The four basis functions of span `span` that are not zero at u; basis[j] belongs to control
// vertex span - 3 + j (Piegl and Tiller, The NURBS Book, algorithm A2.2).
std::array<double, kDegree + 1> basisFunctions(int span, double u, int n) {
    std::array<double, kDegree + 1> basis{};
    std::array<double, kDegree + 1> left{}, right{};
    basis[0] = 1.0;
    for (std::size_t j = 1; j <= kDegree; ++j) {
        left[j] = u - knot(span + 1 - static_cast<int>(j), n);
        right[j] = knot(span + static_cast<int>(j), n) - u;
        double saved = 0.0;
        for (std::size_t r = 0; r < j; ++r) {
            const double temp = basis[r] / (right[r + 1] + left[j - r]);
            basis[r] = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        basis[j] = saved;
    }
    return basis;
}

Vec3 evaluate(const std::vector<Vec3>& cvs, int span, double u) {
    const auto basis = basisFunctions(span, u, static_cast<int>(cvs.size()));
    Vec3 point{};
    for (std::size_t j = 0; j <= kDegree; ++j) {
        const Vec3& p = cvs[static_cast<std::size_t>(span - kDegree) + j];
        for (std::size_t c = 0; c < 3; ++c) point[c] += basis[j] * p[c];
    }
    return point;
}

// Lengths through the square root, which every system rounds alike (hypot differs between
// mathematical libraries in the last bits): the findings read the same on Linux and Windows.
double length(double x, double z) { return std::sqrt(x * x + z * z); }

double distance(const Vec3& a, const Vec3& b) {
    const double x = b[0] - a[0], y = b[1] - a[1], z = b[2] - a[2];
    return std::sqrt(x * x + y * y + z * z);
}

// --- The road surface, looked up from above -------------------------------------------------

struct SurfaceTriangle {
    Vec3 a, b, c;
};

// Barycentric coordinates of (x, z) in the triangle's horizontal projection; none for a
// triangle seen edge-on from above.
std::optional<std::array<double, 3>> barycentric(const SurfaceTriangle& t, double x, double z) {
    const double d = (t.b[0] - t.a[0]) * (t.c[2] - t.a[2]) - (t.c[0] - t.a[0]) * (t.b[2] - t.a[2]);
    if (std::fabs(d) < 1e-12) return std::nullopt;
    const double l1 = ((x - t.a[0]) * (t.c[2] - t.a[2]) - (t.c[0] - t.a[0]) * (z - t.a[2])) / d;
    const double l2 = ((t.b[0] - t.a[0]) * (z - t.a[2]) - (x - t.a[0]) * (t.b[2] - t.a[2])) / d;
    return std::array<double, 3>{1.0 - l1 - l2, l1, l2};
}

double segmentDistance(double x, double z, const Vec3& p, const Vec3& q) {
    const double dx = q[0] - p[0], dz = q[2] - p[2];
    const double lengthSquared = dx * dx + dz * dz;
    double t = lengthSquared > 0.0 ? ((x - p[0]) * dx + (z - p[2]) * dz) / lengthSquared : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return length(x - (p[0] + t * dx), z - (p[2] + t * dz));
}

// The road's triangles in square cells of the horizontal plane.
class SurfaceGrid {
public:
    static constexpr double kCell = 4.0;      // m
    static constexpr int kSearchRings = 3;    // cells around a sample searched for the border
    static constexpr std::int64_t kMaxCellsPerTriangle = 4096;

    void add(const SurfaceTriangle& t) {
        const auto index = static_cast<std::uint32_t>(triangles_.size());
        triangles_.push_back(t);
        const auto [x0, x1] = std::minmax({t.a[0], t.b[0], t.c[0]});
        const auto [z0, z1] = std::minmax({t.a[2], t.b[2], t.c[2]});
        const std::int64_t i0 = cell(x0), i1 = cell(x1), k0 = cell(z0), k1 = cell(z1);
        // A sliver kilometres long would fill the grid: it is tried for every sample instead.
        if ((i1 - i0 + 1) * (k1 - k0 + 1) > kMaxCellsPerTriangle) {
            everywhere_.push_back(index);
            return;
        }
        for (std::int64_t i = i0; i <= i1; ++i) {
            for (std::int64_t k = k0; k <= k1; ++k) cells_[key(i, k)].push_back(index);
        }
    }

    bool empty() const { return triangles_.empty(); }

    // The height of the surface straight below or above (x, z) nearest to y; none where no
    // triangle covers the point.
    std::optional<double> heightNear(double x, double y, double z) const {
        std::optional<double> best;
        forCell(cell(x), cell(z), [&](const SurfaceTriangle& t) {
            const auto l = barycentric(t, x, z);
            if (!l || (*l)[0] < -1e-9 || (*l)[1] < -1e-9 || (*l)[2] < -1e-9) return;
            const double h = (*l)[0] * t.a[1] + (*l)[1] * t.b[1] + (*l)[2] * t.c[1];
            if (!best || std::fabs(y - h) < std::fabs(y - *best)) best = h;
        });
        return best;
    }

    // How far (x, z) lies beside the nearest triangle, horizontally; infinite beyond the cells
    // searched.
    double besideDistance(double x, double z) const {
        double best = kInfinite;
        const std::int64_t ci = cell(x), ck = cell(z);
        for (std::int64_t i = ci - kSearchRings; i <= ci + kSearchRings; ++i) {
            for (std::int64_t k = ck - kSearchRings; k <= ck + kSearchRings; ++k) {
                forCell(i, k, [&](const SurfaceTriangle& t) {
                    best = std::min({best, segmentDistance(x, z, t.a, t.b),
                                     segmentDistance(x, z, t.b, t.c),
                                     segmentDistance(x, z, t.c, t.a)});
                });
            }
        }
        // Only what the rings reach for certain: beyond that a nearer triangle may be unseen.
        return best <= kSearchRings * kCell ? best : kInfinite;
    }

private:
    static std::int64_t cell(double v) { return static_cast<std::int64_t>(std::floor(v / kCell)); }
    static std::uint64_t key(std::int64_t i, std::int64_t k) {
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(i)) << 32 |
               static_cast<std::uint32_t>(k);
    }
    template <typename F> void forCell(std::int64_t i, std::int64_t k, F&& f) const {
        if (const auto it = cells_.find(key(i, k)); it != cells_.end()) {
            for (std::uint32_t t : it->second) f(triangles_[t]);
        }
        for (std::uint32_t t : everywhere_) f(triangles_[t]);
    }

    std::vector<SurfaceTriangle> triangles_;
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> cells_;
    std::vector<std::uint32_t> everywhere_;
};

SurfaceGrid surfaceOf(const RoadMesh& mesh) {
    SurfaceGrid grid;
    for (const MeshPart& part : mesh.parts) {
        if (part.kind() != PartKind::RoadSurface) continue;
        std::vector<Vec3> positions;
        positions.reserve(part.vertexCount());
        part.vertices().forEach(0, part.vertexCount(), [&](const MeshVertex& v) {
            positions.push_back({v.x, v.y, v.z});
        });
        part.triangles().forEach(0, part.triangleCount(), [&](const MeshTriangle& t) {
            grid.add({positions[t.a], positions[t.b], positions[t.c]});
        });
    }
    return grid;
}

// Consecutive samples with the same failure, kept at the worst of them.
class Stretch {
public:
    Stretch(CurveKind curve, std::vector<CurveFinding>& out) : curve_(curve), out_(out) {}

    void sample(std::optional<CurveFindingKind> kind, double station, double value) {
        if (current_ && (!kind || current_->kind != *kind)) flush();
        if (!kind) return;
        if (!current_) {
            current_ = CurveFinding{curve_, *kind, station, value, station, station};
            return;
        }
        current_->to = station;
        // By more than the last bits of a computation: along a stretch of one value (a lane
        // beside a straight) the finding stays at its start on every system.
        constexpr double kMargin = 1e-6;
        const bool worse = *kind == CurveFindingKind::TightBend ? value < current_->value - kMargin
                                                                : value > current_->value + kMargin;
        if (worse) {
            current_->station = station;
            current_->value = value;
        }
    }
    void flush() {
        if (current_) out_.push_back(*current_);
        current_.reset();
    }

private:
    CurveKind curve_;
    std::vector<CurveFinding>& out_;
    std::optional<CurveFinding> current_;
};

} // namespace

void sampleCurve(const MeshCurve& curve, double step,
                 const std::function<void(const CurveSample&)>& onSample) {
    std::vector<Vec3> cvs;
    cvs.reserve(curve.controlVertices.size());
    curve.controlVertices.forEach(0, curve.controlVertices.size(),
                                  [&](const Vec3& p) { cvs.push_back(p); });
    const int n = static_cast<int>(cvs.size());
    if (n <= kDegree) return;

    const auto emit = [&](int span, double u, double station) {
        onSample({evaluate(cvs, span, u), station});
    };
    emit(kDegree, 0.0, 0.0);
    double travelled = 0.0, next = step, lastEmitted = 0.0;
    Vec3 previous = cvs.front();
    double previousU = 0.0;
    for (int span = kDegree; span < n; ++span) {
        const double u0 = knot(span, n), u1 = knot(span + 1, n);
        // Fine enough that the chords add up to the arc length within a tiny fraction.
        double polygon = 0.0;
        for (int j = span - kDegree; j < span; ++j) {
            polygon += distance(cvs[static_cast<std::size_t>(j)], cvs[static_cast<std::size_t>(j) + 1]);
        }
        const int steps = static_cast<int>(std::clamp(std::ceil(polygon / 0.25), 4.0, 100000.0));
        for (int k = 1; k <= steps; ++k) {
            const double u = u0 + (u1 - u0) * k / steps;
            const Vec3 here = evaluate(cvs, span, u);
            const double chord = distance(previous, here);
            while (chord > 0.0 && travelled + chord >= next) {
                const double t = (next - travelled) / chord;
                emit(span, previousU + t * (u - previousU), next);
                lastEmitted = next;
                next += step;
            }
            travelled += chord;
            previous = here;
            previousU = u;
        }
    }
    if (travelled > lastEmitted + 1e-9) emit(n - 1, 1.0, travelled);
}

double circleRadius(const Vec3& a, const Vec3& b, const Vec3& c) {
    const double abx = b[0] - a[0], abz = b[2] - a[2];
    const double acx = c[0] - a[0], acz = c[2] - a[2];
    const double bcx = c[0] - b[0], bcz = c[2] - b[2];
    const double ab = length(abx, abz), ac = length(acx, acz), bc = length(bcx, bcz);
    const double twiceArea = std::fabs(abx * acz - abz * acx);
    // Points on a line (to the last bits of their coordinates) have no circle.
    if (!(twiceArea > 1e-12 * ab * ac)) return kInfinite;
    return ab * ac * bc / (2.0 * twiceArea);
}

CurveCheck checkTrafficCurves(const RoadMesh& mesh, const CurveCheckLimits& limits) {
    CurveCheck check;
    const SurfaceGrid surface = surfaceOf(mesh);
    check.surfaceChecked = !surface.empty();
    for (const MeshCurve& curve : mesh.curves) {
        std::vector<CurveSample> samples;
        sampleCurve(curve, 1.0, [&](const CurveSample& s) { samples.push_back(s); });
        std::vector<CurveFinding> found;
        Stretch onSurface(curve.kind, found), bends(curve.kind, found);
        for (std::size_t k = 0; k < samples.size(); ++k) {
            const CurveSample& s = samples[k];
            if (check.surfaceChecked) {
                const auto [x, y, z] = s.position;
                std::optional<CurveFindingKind> kind;
                double value = 0.0;
                if (const auto height = surface.heightNear(x, y, z)) {
                    value = std::fabs(y - *height);
                    if (value > limits.surfaceDistance) {
                        kind = y > *height ? CurveFindingKind::AboveSurface
                                           : CurveFindingKind::BelowSurface;
                    }
                } else {
                    value = surface.besideDistance(x, z);
                    if (value > limits.besideTolerance) kind = CurveFindingKind::BesideRoad;
                }
                onSurface.sample(kind, s.station, value);
            }
            constexpr auto b = static_cast<std::size_t>(kRadiusBaseline);
            if (k >= b && k + b < samples.size()) {
                const double radius =
                    circleRadius(samples[k - b].position, s.position, samples[k + b].position);
                bends.sample(radius < limits.minRadius ? std::optional(CurveFindingKind::TightBend)
                                                       : std::nullopt,
                             s.station, radius);
            }
        }
        onSurface.flush();
        bends.flush();
        std::stable_sort(found.begin(), found.end(), [](const CurveFinding& a, const CurveFinding& b) {
            return a.station < b.station;
        });
        check.findings.insert(check.findings.end(), found.begin(), found.end());
    }
    return check;
}

} // namespace trassolin
