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

// The non-zero basis functions of span `span` at u and their first and second derivatives:
// ders[d][j] belongs to control vertex span - 3 + j (Piegl and Tiller, The NURBS Book,
// algorithm A2.3).
std::array<std::array<double, 4>, 3> basisDerivatives(int span, double u, int n) {
    constexpr int p = kDegree;
    double ndu[p + 1][p + 1];
    double left[p + 1], right[p + 1];
    ndu[0][0] = 1.0;
    for (int j = 1; j <= p; ++j) {
        left[j] = u - knot(span + 1 - j, n);
        right[j] = knot(span + j, n) - u;
        double saved = 0.0;
        for (int r = 0; r < j; ++r) {
            ndu[j][r] = right[r + 1] + left[j - r];
            const double temp = ndu[r][j - 1] / ndu[j][r];
            ndu[r][j] = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        ndu[j][j] = saved;
    }
    std::array<std::array<double, 4>, 3> ders{};
    for (int j = 0; j <= p; ++j) ders[0][static_cast<std::size_t>(j)] = ndu[j][p];
    for (int r = 0; r <= p; ++r) {
        double a[2][p + 1] = {};
        int s1 = 0, s2 = 1;
        a[0][0] = 1.0;
        for (int k = 1; k <= 2; ++k) {
            double d = 0.0;
            const int rk = r - k, pk = p - k;
            if (r >= k) {
                a[s2][0] = a[s1][0] / ndu[pk + 1][rk];
                d = a[s2][0] * ndu[rk][pk];
            }
            const int j1 = rk >= -1 ? 1 : -rk;
            const int j2 = r - 1 <= pk ? k - 1 : p - r;
            for (int j = j1; j <= j2; ++j) {
                a[s2][j] = (a[s1][j] - a[s1][j - 1]) / ndu[pk + 1][rk + j];
                d += a[s2][j] * ndu[rk + j][pk];
            }
            if (r <= pk) {
                a[s2][k] = -a[s1][k - 1] / ndu[pk + 1][r];
                d += a[s2][k] * ndu[r][pk];
            }
            ders[static_cast<std::size_t>(k)][static_cast<std::size_t>(r)] = d;
            std::swap(s1, s2);
        }
    }
    int factor = p;
    for (std::size_t k = 1; k <= 2; ++k) {
        for (double& value : ders[k]) value *= factor;
        factor *= p - static_cast<int>(k);
    }
    return ders;
}

struct Evaluation {
    Vec3 position, first, second;
};

Evaluation evaluate(const std::vector<Vec3>& cvs, int span, double u) {
    const int n = static_cast<int>(cvs.size());
    const auto ders = basisDerivatives(span, u, n);
    Evaluation e{};
    for (std::size_t j = 0; j <= kDegree; ++j) {
        const Vec3& p = cvs[static_cast<std::size_t>(span - kDegree) + j];
        for (std::size_t c = 0; c < 3; ++c) {
            e.position[c] += ders[0][j] * p[c];
            e.first[c] += ders[1][j] * p[c];
            e.second[c] += ders[2][j] * p[c];
        }
    }
    return e;
}

// The radius in the horizontal plane (x, z), m.
double horizontalRadius(const Evaluation& e) {
    const double speed = e.first[0] * e.first[0] + e.first[2] * e.first[2];
    if (!(speed > 1e-18)) return kInfinite;
    const double turn = std::fabs(e.first[0] * e.second[2] - e.first[2] * e.second[0]);
    const double curvature = turn / (speed * std::sqrt(speed));
    return curvature > 0.0 ? 1.0 / curvature : kInfinite;
}

double distance(const Vec3& a, const Vec3& b) {
    return std::hypot(b[0] - a[0], b[1] - a[1], b[2] - a[2]);
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
    return std::hypot(x - (p[0] + t * dx), z - (p[2] + t * dz));
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
        const bool worse = *kind == CurveFindingKind::TightBend ? value < current_->value
                                                                : value > current_->value;
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
        const Evaluation e = evaluate(cvs, span, u);
        onSample({e.position, station, horizontalRadius(e)});
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
            const Vec3 here = evaluate(cvs, span, u).position;
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

CurveCheck checkTrafficCurves(const RoadMesh& mesh, const CurveCheckLimits& limits) {
    CurveCheck check;
    const SurfaceGrid surface = surfaceOf(mesh);
    check.surfaceChecked = !surface.empty();
    for (const MeshCurve& curve : mesh.curves) {
        std::vector<CurveFinding> found;
        Stretch onSurface(curve.kind, found), bends(curve.kind, found);
        sampleCurve(curve, 1.0, [&](const CurveSample& s) {
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
            bends.sample(s.radius < limits.minRadius
                             ? std::optional(CurveFindingKind::TightBend)
                             : std::nullopt,
                         s.station, s.radius);
        });
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
