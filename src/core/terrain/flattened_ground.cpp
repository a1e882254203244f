#include "terrain/flattened_ground.h"

#include "io/paths.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace trassolin {

namespace {

// The nearest corridor pixel of a pixel beside the corridor.
struct Nearest {
    double distance; // m
    double height;   // m, the corridor pixel's new height
};

bool nearer(const Nearest& a, const Nearest& b) {
    return a.distance < b.distance || (a.distance == b.distance && a.height < b.height);
}

// 0 at the corridor, 1 at the falloff distance, with no kink at either end.
double smoothstep(double t) {
    return t * t * (3.0 - 2.0 * t);
}

bool usableLength(double v, double most) {
    return v >= 0.0 && v <= most; // false for NaN too
}

} // namespace

std::vector<PixelChange> flattenedPixels(const HeightMap& ground,
                                         std::span<const SurfaceTriangle> surfaces,
                                         const FlattenOptions& options, char decimalSeparator) {
    if (!usableLength(options.depth, kMaxDepth)) {
        throw TrassolinError("Die Tiefe unter der Straße muss zwischen 0 und " +
                             formatGeneral(kMaxDepth, ',') + " m liegen");
    }
    if (!usableLength(options.falloff, kMaxFalloff)) {
        throw TrassolinError("Der Übergang neben der Straße muss zwischen 0 und " +
                             formatGeneral(kMaxFalloff, ',') + " m breit sein");
    }
    const SampleGrid grid = pixelGrid(ground);
    SparseGrid<double> under;
    for (const SurfaceTriangle& t : surfaces) {
        rasterize(t, grid,
                  [&](int c, int r, double y) { under.put(grid.index(c, r), y - options.depth); });
    }
    const auto corridor = std::move(under).merged([](double a, double b) { return a < b; });
    // A height the pixels cannot hold would be clamped to the nearest they can: the copy would
    // no longer fit the road, and nobody would see why.
    const double halfStep = ground.heightOfValue(0.5) - ground.heightOfValue(0.0);
    const double lowest = ground.heightOfValue(0.0), highest = ground.heightOfValue(65535.0);
    for (const auto& e : corridor) {
        if (e.value >= lowest - halfStep && e.value <= highest + halfStep) continue;
        const auto m = [&](double v) {
            return formatGeneral(decimalRound(v, -3), decimalSeparator);
        };
        const int c = static_cast<int>(e.index % static_cast<std::size_t>(grid.columns));
        const int r = static_cast<int>(e.index / static_cast<std::size_t>(grid.columns));
        throw TrassolinError("Die Straße liegt bei x = " + m(ground.xOfColumn(c)) +
                             ", z = " + m(ground.zOfRow(r)) + " auf " + m(e.value) +
                             " m; die Höhenkarte fasst nur Höhen von " + m(lowest) + " bis " +
                             m(highest) + " m (heightScale und Verschiebung der Karte)");
    }
    const auto inCorridor = [&](std::size_t index) {
        const auto at = std::lower_bound(
            corridor.begin(), corridor.end(), index,
            [](const SparseGrid<double>::Entry& e, std::size_t i) { return e.index < i; });
        return at != corridor.end() && at->index == index;
    };

    // Beside the corridor: the nearest corridor pixel is always one on its edge.
    const double upp = grid.dx;
    const int reach = static_cast<int>(std::floor(options.falloff / upp));
    std::unordered_map<std::size_t, Nearest> beside;
    for (const auto& e : corridor) {
        const int c = static_cast<int>(e.index % static_cast<std::size_t>(grid.columns));
        const int r = static_cast<int>(e.index / static_cast<std::size_t>(grid.columns));
        const auto outside = [&](int cc, int rr) {
            return cc >= 0 && rr >= 0 && cc < grid.columns && rr < grid.rows &&
                   !inCorridor(grid.index(cc, rr));
        };
        if (!outside(c - 1, r) && !outside(c + 1, r) && !outside(c, r - 1) && !outside(c, r + 1)) {
            continue;
        }
        for (int dr = -reach; dr <= reach; ++dr) {
            for (int dc = -reach; dc <= reach; ++dc) {
                const double distance = std::hypot(dc, dr) * upp;
                if (distance >= options.falloff || !outside(c + dc, r + dr)) continue;
                const Nearest candidate{distance, e.value};
                const auto [it, fresh] = beside.try_emplace(grid.index(c + dc, r + dr), candidate);
                if (!fresh && nearer(candidate, it->second)) it->second = candidate;
            }
        }
    }

    std::vector<PixelChange> changes;
    changes.reserve(corridor.size() + beside.size());
    for (const auto& e : corridor)
        changes.push_back({e.index, ground.valueOfHeight(e.value)});
    for (const auto& [index, near] : beside) {
        const int c = static_cast<int>(index % static_cast<std::size_t>(grid.columns));
        const int r = static_cast<int>(index / static_cast<std::size_t>(grid.columns));
        const double own = ground.heightOfValue(ground.pixels().at(c, r));
        const double h =
            near.height + (own - near.height) * smoothstep(near.distance / options.falloff);
        changes.push_back({index, ground.valueOfHeight(h)});
    }
    std::sort(changes.begin(), changes.end(),
              [](const PixelChange& a, const PixelChange& b) { return a.index < b.index; });
    return changes;
}

void writeFlattenedHeightMap(OutputFile& out, const std::filesystem::path& original,
                             const HeightMap& ground, const std::vector<PixelChange>& changes) {
    if (sameFile(out.target(), original)) {
        throw TrassolinError("Die Höhenkarte " + displayPath(original) +
                             " wird nicht überschrieben; bitte eine neue Datei wählen");
    }
    const GreyImage16& pixels = ground.pixels();
    const auto width = static_cast<std::size_t>(pixels.width());
    auto next = changes.begin();
    encodeGreyPng(
        pixels.width(), pixels.height(), 16,
        [&](int row, std::span<std::uint16_t> line) {
            const auto source = pixels.row(row);
            std::copy(source.begin(), source.end(), line.begin());
            const std::size_t end = (static_cast<std::size_t>(row) + 1) * width;
            for (; next != changes.end() && next->index < end; ++next) {
                line[next->index - static_cast<std::size_t>(row) * width] = next->value;
            }
        },
        [&out](std::string_view bytes) { out.write(bytes); });
}

} // namespace trassolin
