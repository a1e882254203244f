// Number forms are on the document's hot path: every vertex line carries eight of them.
#include "uGlobal/numbers.h"

#include <benchmark/benchmark.h>

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
