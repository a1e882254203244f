// The ground of a large map: an 8193² height map (a 16 km map at 2 m or an 8 km map at 1 m,
// 134 MB of pixels) written like a real one, with hills, slopes and noise.
//
// BM_HeightMapLoad: reading and decoding it in this process (wall time).
// BM_HeightMapWrite: encoding and writing it again, as a flattened copy is written.
// BM_HeightMapPeakMemory: the peak memory of `trassolin-cli gelaende --dem` on it, against
//   the pixels' size (peak_to_pixels); the command line loads it once, describes it and
//   measures a short road on it.
// BM_TerrainFiles: `trassolin-cli gelaende` with every file on it for a 2 km winding road on
//   its hills:
//   the report, the table of heights, the flattened height map and the mask (wall time of the
//   whole command, its peak memory against the pixels' size).
#include "bench_support.h"
#include "winding_road.h"

#include "settings/parameter_file.h"
#include "terrain/height_map.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>

namespace {

using namespace trassolin;

constexpr int kSide = 8193;
constexpr double kPixelBytes = 2.0 * kSide * kSide;

// Written once per machine and kept beside the other benchmark files.
const std::filesystem::path& largeHeightMap() {
    static const std::filesystem::path file = [] {
        const auto f = bench::benchFolder() / "dem-8193.png";
        if (std::filesystem::exists(f)) return f;
        writeGreyPng(f, kSide, kSide, 16, [](int row, std::span<std::uint16_t> pixels) {
            for (int c = 0; c < kSide; ++c) {
                const double hills = 9000.0 * std::sin(c / 700.0) * std::cos(row / 900.0) +
                                     2500.0 * std::sin((c + 2.0 * row) / 151.0);
                // A little noise, as a sculpted map has: it keeps the file from compressing
                // better than a real one.
                const unsigned noise = (static_cast<unsigned>(c) * 2654435761u ^
                                        static_cast<unsigned>(row) * 40503u) >>
                                       28;
                pixels[static_cast<std::size_t>(c)] =
                    static_cast<std::uint16_t>(30000.0 + hills + noise);
            }
        });
        return f;
    }();
    return file;
}

const std::filesystem::path& tinyRoad() {
    static const std::filesystem::path file = [] {
        const auto f = bench::benchFolder() / "terrain-road.ini";
        std::ofstream(f) << "[Rand_rechts_Geo]\nenable1=0\n[Rand_links_Geo]\nenable1=0\n"
                            "[Splines]\nAnzahl=2\n[SplinePts2]\nZ=50\n";
        return f;
    }();
    return file;
}

void BM_HeightMapLoad(benchmark::State& state) {
    const auto& file = largeHeightMap();
    for (auto _ : state) {
        const HeightMap ground = loadHeightMap(file, {255.0, 1.0});
        benchmark::DoNotOptimize(ground.heightAt(0.0, 0.0));
    }
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
}

BENCHMARK(BM_HeightMapLoad)->Iterations(2)->Unit(benchmark::kMillisecond);

void BM_HeightMapWrite(benchmark::State& state) {
    const HeightMap ground = loadHeightMap(largeHeightMap(), {255.0, 1.0});
    const auto copy = bench::benchFolder() / "dem-copy.png";
    for (auto _ : state) {
        writeGreyPng(copy, kSide, kSide, 16, [&](int row, std::span<std::uint16_t> pixels) {
            const auto source = ground.pixels().row(row);
            std::copy(source.begin(), source.end(), pixels.begin());
        });
    }
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(copy)) / 1e6;
    std::filesystem::remove(copy);
}

BENCHMARK(BM_HeightMapWrite)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_HeightMapPeakMemory(benchmark::State& state) {
    const std::string heightMap = largeHeightMap().string();
    std::vector<double> peaks;
    for (auto _ : state) {
        try {
            peaks.push_back(bench::cliPeakBytes({"gelaende", "--dem", heightMap, "--hoehenskala",
                                                 "255", "--einheiten-pro-pixel", "1", "--toleranz",
                                                 "1000", tinyRoad().string()}));
        } catch (const std::runtime_error&) {
            state.SkipWithError("/usr/bin/time trassolin-cli gelaende failed");
            break;
        }
    }
    state.counters["pixels_MB"] = kPixelBytes / 1e6;
    state.counters["peak_RSS_MB"] = bench::median(peaks) / 1e6;
    state.counters["peak_to_pixels"] = bench::median(peaks) / kPixelBytes;
}

BENCHMARK(BM_HeightMapPeakMemory)->Iterations(2)->Unit(benchmark::kMillisecond);

void BM_TerrainFiles(benchmark::State& state) {
    const std::string heightMap = largeHeightMap().string();
    const auto folder = bench::benchFolder();
    const auto road = folder / "terrain-winding.ini";
    bench::writeWindingRoad(road, 2.0);
    {
        // Onto the map's hills (72 to 161 m): the height map holds no ground below 0 m.
        ParameterSet lifted = bench::loadWindingRoad(road);
        for (int i = 0; i < lifted.splines.count(); ++i)
            lifted.splines.get(i)->Y += 110.0;
        saveParameterFile(road, lifted, '.');
    }
    std::vector<double> peaks;
    for (auto _ : state) {
        try {
            peaks.push_back(bench::cliPeakBytes(
                {"gelaende", "--dem", heightMap, "--hoehenskala", "255", "--einheiten-pro-pixel",
                 "1", "--toleranz", "1000", "--csv", (folder / "stationen.csv").string(),
                 "--dem-ausgabe", (folder / "dem-flach.png").string(), "--maske-ausgabe",
                 (folder / "maske.png").string(), road.string()}));
        } catch (const std::runtime_error&) {
            state.SkipWithError("/usr/bin/time trassolin-cli gelaende failed");
            break;
        }
    }
    state.counters["peak_RSS_MB"] = bench::median(peaks) / 1e6;
    state.counters["peak_to_pixels"] = bench::median(peaks) / kPixelBytes;
    for (const char* file : {"stationen.csv", "dem-flach.png", "maske.png"}) {
        std::filesystem::remove(folder / file);
    }
}

BENCHMARK(BM_TerrainFiles)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
