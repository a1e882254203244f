// Cost of a whole generation run, all parts on: time, vertices per second, document
// megabytes per second and the process's peak memory against the document's size.
// Cost must grow linearly with the road's length; compare the per-metre figures of the
// short and the long road.
#include "generation/random_sequence.h"
#include "generation/run.h"
#include "settings/parameter_set.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace trassolin;

class NullSink final : public MessageSink {
public:
    void show(MessageKind, std::string_view) override {}
};

class NullLog final : public StatusLog {
public:
    void clear() override {}
    void append(std::string_view) override {}
};

// A winding, climbing country road: control points 50 m apart whose heading swings and whose
// height rolls, banked in the bends, with both edges, the fill and all traffic curves on.
ParameterSet windingRoad(int points) {
    ParameterSet p;
    CollectingMessageSink messages;
    p.splines.assignPoints({});
    double x = 0, z = 0, heading = 0;
    for (int k = 0; k < points; ++k) {
        auto& s = p.splines.append();
        const double turn = 0.12 * std::sin(k * 0.07);
        heading += turn;
        s.X = x;
        s.Z = z;
        s.Y = 20.0 * std::sin(k * 0.05);
        s.Yrot = -heading * 180.0 / 3.141592653589793;
        s.Zrot = turn * 20.0;
        x += -50.0 * std::sin(heading);
        z += 50.0 * std::cos(heading);
    }
    p.schleppkurveErzeugen = true;
    p.sturzErzeugen = true;
    p.trafficMitte = p.trafficRechts = p.trafficLinks = true;
    for (TRandPunkte* edge : {&p.rechterRand, &p.linkerRand}) {
        edge->enabled = true;
        edge->textureLength = 5;
        edge->textureWidth = 2;
        edge->resize(4, messages);
        const double widths[] = {0, 0.5, 1.0, 2.0};
        const double angles[] = {0, -0.3, -0.6, -0.1};
        for (int i = 1; i < 4; ++i) {
            Randsegment seg = *edge->getSegment(i);
            seg.length = widths[i];
            seg.angle = angles[i];
            edge->setSegment(i, seg);
            edge->updateSegmentGeometry(i);
        }
        edge->computeUFromTextureWidth(messages);
        edge->recompute(messages);
    }
    p.fuellFlaecheErzeugen = true;
    return p;
}

double vertexCount(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    const std::string key = "<Vertices count=\"";
    while (std::getline(in, line)) {
        const auto at = line.find(key);
        if (at != std::string::npos) return std::stod(line.substr(at + key.size()));
    }
    return 0;
}

void runRoad(benchmark::State& state, int points) {
    const auto output = std::filesystem::temp_directory_path() /
                        ("trassolin-bench-" + std::to_string(points) + ".i3d");
    NullSink messages;
    NullLog log;
    RandomSequence random;
    std::uintmax_t bytes = 0;
    double vertices = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ParameterSet params = windingRoad(points);
        state.ResumeTiming();
        if (!runGeneration(params, output, messages, log, random, ',')) {
            state.SkipWithError("run failed");
            break;
        }
        state.PauseTiming();
        bytes = std::filesystem::file_size(output);
        vertices = vertexCount(output);
        state.ResumeTiming();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double roadMetres = (points - 1) * 50.0;
    state.counters["road_km"] = roadMetres / 1000.0;
    state.counters["doc_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["doc_MB_per_s"] = benchmark::Counter(static_cast<double>(bytes) / 1e6,
                                                        benchmark::Counter::kIsIterationInvariantRate);
    state.counters["metres_per_s"] =
        benchmark::Counter(roadMetres, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["vertices_per_s"] =
        benchmark::Counter(vertices, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_RSS_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    std::filesystem::remove(output);
}

void BM_ShortRoad(benchmark::State& state) { runRoad(state, 21); }
void BM_LongRoad(benchmark::State& state) { runRoad(state, 2001); }

BENCHMARK(BM_ShortRoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongRoad)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
