// A whole generation run of the benchmark road (bench/winding_road.h) against the floor of
// its output: the same vertex, curve and triangle numbers written with std::to_chars (fixed,
// four decimals; indices as integers) into one buffer, written to a file and fsync'd. Both
// alternate inside one benchmark, so that the load of a shared machine falls on both alike;
// the counters are medians over the iterations:
//   run_ms, floor_ms          wall time of one run (to the renamed, fsync'd document) and of
//                             the floor
//   wall_ratio, cpu_ratio     run / floor, per iteration; CPU time is the process's, all
//                             threads, user and kernel
//   run_cpu_ms, floor_cpu_ms  CPU time of each
//   run_ms_per_km, run_cpu_ms_per_km
//                             per kilometre of road
//   extra_ms_per_km, extra_cpu_ms_per_km
//                             per kilometre beyond the 50 m road's run (/0): what the length
//                             costs, without what every document costs (creating, syncing and
//                             renaming the file)
// BM_CliPeakMemory runs `/usr/bin/time trassolin-cli generate` on the road's parameter file
// and reports the command line's peak memory against the document's size.
// BM_Chunked runs the road in chunks of 250 m ([Spiel] Abschnittslaenge) against the same road
// in one shape, alternating within the benchmark:
//   chunked_ms, whole_ms      wall time of each run (medians)
//   wall_ratio, cpu_ratio     chunked / whole, per iteration (medians)
#include "generation/random_sequence.h"
#include "generation/run.h"
#include "settings/parameter_set.h"
#include "bench_support.h"
#include "winding_road.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace trassolin;
using bench::benchFolder;
using bench::median;
using bench::readFile;

class NullSink final : public MessageSink {
public:
    void show(MessageKind, std::string_view) override {}
};

class NullLog final : public StatusLog {
public:
    void clear() override {}
    void append(std::string_view) override {}
};

// The numbers inside every ` key="…"` of a document, in order.
template <typename T> void collectNumbers(const std::string& doc, const std::string& key,
                                          std::vector<T>& out) {
    const std::string marker = " " + key + "=\"";
    for (auto at = doc.find(marker); at != std::string::npos; at = doc.find(marker, at + 1)) {
        const char* p = doc.data() + at + marker.size();
        const char* end = doc.data() + doc.find('"', at + marker.size());
        while (p < end) {
            T value{};
            p = std::from_chars(p, end, value).ptr;
            out.push_back(value);
            while (p < end && *p == ' ') ++p;
        }
    }
}

struct Road {
    std::filesystem::path parameterFile;
    ParameterSet params;
    std::vector<double> reals; // vertex and control-vertex numbers of its document
    std::vector<int> indices;  // triangle indices
    double documentBytes = 0;
    double kilometres = 0;
};

// Written, generated and parsed once per length. Length 0 stands for the shortest road, two
// control points 50 m apart: what it costs, every document costs whatever its length.
const Road& road(int kilometres) {
    static std::map<int, Road> roads;
    auto [it, fresh] = roads.try_emplace(kilometres);
    Road& r = it->second;
    if (!fresh) return r;
    r.kilometres = kilometres == 0 ? 0.05 : kilometres;
    r.parameterFile = benchFolder() / ("road-" + std::to_string(kilometres) + "km.ini");
    bench::writeWindingRoad(r.parameterFile, r.kilometres);
    r.params = bench::loadWindingRoad(r.parameterFile);
    const auto document = benchFolder() / "reference.i3d";
    ParameterSet params = r.params;
    NullSink messages;
    NullLog log;
    RandomSequence random;
    if (!runGeneration(params, document, messages, log, random, '.')) {
        throw std::runtime_error("the benchmark road does not generate");
    }
    const std::string doc = readFile(document);
    r.documentBytes = static_cast<double>(doc.size());
    for (const char* key : {"p", "n", "t0", "c"}) collectNumbers(doc, key, r.reals);
    collectNumbers(doc, "vi", r.indices);
    std::filesystem::remove(document);
    return r;
}

// What a plain program that only writes these numbers would do.
void writeFloor(const Road& r, const std::filesystem::path& file) {
    const std::size_t bound = r.reals.size() * 32 + r.indices.size() * 12;
    const auto buffer = std::make_unique_for_overwrite<char[]>(bound);
    char* p = buffer.get();
    char* const end = p + bound;
    for (double v : r.reals) {
        p = std::to_chars(p, end, v, std::chars_format::fixed, 4).ptr;
        *p++ = ' ';
    }
    for (int i : r.indices) {
        p = std::to_chars(p, end, i).ptr;
        *p++ = ' ';
    }
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("cannot open the floor's file");
    for (const char* q = buffer.get(); q < p;) {
        const ssize_t n = ::write(fd, q, static_cast<std::size_t>(p - q));
        if (n <= 0) throw std::runtime_error("cannot write the floor's file");
        q += n;
    }
    ::fsync(fd);
    ::close(fd);
}

double wallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Wall time and the process's CPU time: all threads, in user space and in the kernel.
struct Times {
    double wall = 0, cpu = 0;
};

template <typename F> Times timed(F&& f) {
    const double w = wallSeconds(), c = processCpuSeconds();
    f();
    return {wallSeconds() - w, processCpuSeconds() - c};
}

// One iteration of two measurements, in turns the one first and the other, so that the load
// of a shared machine falls on both alike.
template <typename A, typename B> std::pair<Times, Times> inTurn(bool& aFirst, A&& a, B&& b) {
    Times ta, tb;
    if (aFirst) {
        ta = timed(a);
        tb = timed(b);
    } else {
        tb = timed(b);
        ta = timed(a);
    }
    aFirst = !aFirst;
    return {ta, tb};
}

// A whole run of `params` into `file`, with a fresh random sequence.
void generate(ParameterSet& params, const std::filesystem::path& file) {
    NullSink messages;
    NullLog log;
    RandomSequence random;
    if (!runGeneration(params, file, messages, log, random, '.')) {
        throw std::runtime_error("run failed");
    }
}

void BM_AgainstFloor(benchmark::State& state) {
    const Road& r = road(static_cast<int>(state.range(0)));
    const auto floorFile = benchFolder() / "floor.out";
    const auto runFile = benchFolder() / "run.i3d";
    std::vector<double> runWall, runCpu, floorWall, floorCpu, wallRatio, cpuRatio;
    bool floorFirst = true;
    for (auto _ : state) {
        ParameterSet params = r.params;
        const auto [floor, run] = inTurn(
            floorFirst, [&] { writeFloor(r, floorFile); }, [&] { generate(params, runFile); });
        state.SetIterationTime(run.wall);
        runWall.push_back(run.wall);
        runCpu.push_back(run.cpu);
        floorWall.push_back(floor.wall);
        floorCpu.push_back(floor.cpu);
        wallRatio.push_back(run.wall / floor.wall);
        cpuRatio.push_back(run.cpu / floor.cpu);
    }
    std::filesystem::remove(floorFile);
    std::filesystem::remove(runFile);
    const double km = r.kilometres;
    state.counters["doc_MB"] = r.documentBytes / 1e6;
    state.counters["run_ms"] = median(runWall) * 1e3;
    state.counters["floor_ms"] = median(floorWall) * 1e3;
    state.counters["run_cpu_ms"] = median(runCpu) * 1e3;
    state.counters["floor_cpu_ms"] = median(floorCpu) * 1e3;
    state.counters["wall_ratio"] = median(wallRatio);
    state.counters["cpu_ratio"] = median(cpuRatio);
    state.counters["run_ms_per_km"] = median(runWall) * 1e3 / km;
    state.counters["run_cpu_ms_per_km"] = median(runCpu) * 1e3 / km;
    // What a document costs whatever its length, from the shortest road when it ran first.
    static Times perDocument;
    if (state.range(0) == 0) {
        perDocument = {median(runWall), median(runCpu)};
    } else if (perDocument.wall > 0) {
        state.counters["extra_ms_per_km"] = (median(runWall) - perDocument.wall) * 1e3 / (km - 0.05);
        state.counters["extra_cpu_ms_per_km"] =
            (median(runCpu) - perDocument.cpu) * 1e3 / (km - 0.05);
    }
}

// 1 km to 1 000 km: the per-kilometre counters show whether cost grows with the length only;
// 0 (50 m) shows the cost of a document as such.
BENCHMARK(BM_AgainstFloor)->Arg(0)->Iterations(41)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AgainstFloor)->Arg(1)->Iterations(41)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AgainstFloor)->Arg(10)->Iterations(21)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AgainstFloor)->Arg(100)->Iterations(11)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AgainstFloor)->Arg(1000)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_Chunked(benchmark::State& state) {
    const Road& r = road(static_cast<int>(state.range(0)));
    const auto file = benchFolder() / "chunked.i3d";
    std::vector<double> chunkedWall, wholeWall, wallRatio, cpuRatio;
    bool chunkedFirst = true;
    for (auto _ : state) {
        ParameterSet inChunks = r.params, whole = r.params;
        inChunks.abschnittslaenge = "250";
        const auto [chunked, oneShape] = inTurn(
            chunkedFirst, [&] { generate(inChunks, file); }, [&] { generate(whole, file); });
        state.SetIterationTime(chunked.wall);
        chunkedWall.push_back(chunked.wall);
        wholeWall.push_back(oneShape.wall);
        wallRatio.push_back(chunked.wall / oneShape.wall);
        cpuRatio.push_back(chunked.cpu / oneShape.cpu);
    }
    std::filesystem::remove(file);
    state.counters["chunked_ms"] = median(chunkedWall) * 1e3;
    state.counters["whole_ms"] = median(wholeWall) * 1e3;
    state.counters["wall_ratio"] = median(wallRatio);
    state.counters["cpu_ratio"] = median(cpuRatio);
}

// The performance bar of chunks: a 100 km road in 250 m chunks no more than 10 % slower.
BENCHMARK(BM_Chunked)->Arg(100)->Iterations(11)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_CliPeakMemory(benchmark::State& state) {
    const Road& r = road(static_cast<int>(state.range(0)));
    const std::string output = (benchFolder() / "cli.i3d").string();
    std::vector<double> peaks;
    for (auto _ : state) {
        try {
            peaks.push_back(bench::cliPeakBytes({"--decimal-separator", ".", "generate",
                                                 r.parameterFile.string(), output}));
        } catch (const std::runtime_error&) {
            state.SkipWithError("/usr/bin/time trassolin-cli generate failed");
            break;
        }
    }
    std::filesystem::remove(output);
    state.counters["doc_MB"] = r.documentBytes / 1e6;
    state.counters["peak_RSS_MB"] = median(peaks) / 1e6;
    state.counters["peak_to_doc"] = median(peaks) / r.documentBytes;
}

BENCHMARK(BM_CliPeakMemory)->Arg(1)->Arg(100)->Arg(1000)->Iterations(3)->Unit(
    benchmark::kMillisecond);

} // namespace
