#pragma once

// The road's surfaces seen from above on a grid of points: which points of a height map or a
// mask lie under a triangle of the road, and at what height the triangle passes over them.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace trassolin {

// A triangle of the road's mesh, world metres (x, y up, z).
struct SurfaceTriangle {
    std::array<double, 3> a, b, c;
};

// Points in the x-z plane: point (column, row) lies at (x0 + column·dx, z0 + row·dz).
struct SampleGrid {
    int columns = 0, rows = 0;
    double x0 = 0.0, z0 = 0.0, dx = 1.0, dz = 1.0;

    std::size_t index(int column, int row) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
               static_cast<std::size_t>(column);
    }
};

// Calls visit(column, row, y) for every grid point under the triangle (its edges included, so
// that neighbouring triangles leave no gap), with y the triangle's height above that point.
// Points beyond the grid are passed over, and so are triangles seen edge-on from above
// (the vertical end faces), which cover no ground.
void rasterize(const SurfaceTriangle& triangle, const SampleGrid& grid,
               const std::function<void(int column, int row, double y)>& visit);

// Values at a few points of a large grid, kept sparse: a road covers a sliver of a map.
// Each point keeps the value that `better` prefers among those it was given.
template <class Value> class SparseGrid {
public:
    struct Entry {
        std::size_t index;
        Value value;
    };
    void put(std::size_t index, Value value) { entries_.push_back({index, value}); }
    // Sorted by index, one entry per index: the one `better(a, b)` says is better than the rest.
    template <class Better> std::vector<Entry> merged(Better better) && {
        std::stable_sort(entries_.begin(), entries_.end(),
                         [](const Entry& l, const Entry& r) { return l.index < r.index; });
        std::vector<Entry> out;
        for (const Entry& e : entries_) {
            if (!out.empty() && out.back().index == e.index) {
                if (better(e.value, out.back().value)) out.back().value = e.value;
            } else {
                out.push_back(e);
            }
        }
        entries_ = {};
        return out;
    }

private:
    std::vector<Entry> entries_;
};

} // namespace trassolin
