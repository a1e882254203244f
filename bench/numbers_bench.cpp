// Number forms are on the document's hot path: every vertex line carries eight of them.
#include "uGlobal/numbers.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <string>

namespace {

void BM_AppendFixed(benchmark::State& state) {
    std::string line;
    double v = -1234.56789;
    for (auto _ : state) {
        line.clear();
        trassolin::appendFixed(line, v);
        benchmark::DoNotOptimize(line.data());
        v += 0.001;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendFixed);

// The rule without the shortcut, and the library's own fixed form for comparison.
void BM_FormatFixedExact(benchmark::State& state) {
    double v = -1234.56789;
    for (auto _ : state) {
        auto s = trassolin::formatFixedExact(v);
        benchmark::DoNotOptimize(s.data());
        v += 0.001;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FormatFixedExact);

void BM_ToCharsFixed4(benchmark::State& state) {
    char buf[64];
    double v = -1234.56789;
    for (auto _ : state) {
        auto end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 4).ptr;
        benchmark::DoNotOptimize(end);
        v += 0.001;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ToCharsFixed4);

void BM_FormatGeneral(benchmark::State& state) {
    double v = 0.1;
    for (auto _ : state) {
        auto s = trassolin::formatGeneral(v, ',');
        benchmark::DoNotOptimize(s.data());
        v *= 1.0001;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FormatGeneral);

void BM_ParseTolerantReal(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(trassolin::parseTolerantReal("-1234,5678"));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseTolerantReal);

} // namespace
