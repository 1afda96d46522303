// The figure's own work per segment, natively, with Google Benchmark: the
// emission into a null sink, and the sine/cosine calls it makes, both per
// segment of the same figure so the two read side by side.
#include <benchmark/benchmark.h>

#include "bench/figure_work.h"

namespace {

void per_segment(benchmark::State& state, const Figure& f) {
    state.counters["per_segment"] = benchmark::Counter(static_cast<double>(segments_of(f)),
                                                       benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);
}

void emission(benchmark::State& state, Figure f) {
    for (auto _ : state) emit_frame(f);
    per_segment(state, f);
}

void sincos_of_its_angles(benchmark::State& state, Figure f) {
    const std::vector<double> angles = frame_angles(f);
    for (auto _ : state) sin_cos_calls(angles);
    per_segment(state, f);
}

int register_all() {
    for (const Figure& f : bench_figures()) {
        const std::string name = "B" + std::to_string(f.branches) + "_L" + std::to_string(f.levels);
        benchmark::RegisterBenchmark(("emission/" + name).c_str(), emission, f);
        benchmark::RegisterBenchmark(("sin_cos/" + name).c_str(), sincos_of_its_angles, f);
    }
    return 0;
}

const int registered = register_all();

}  // namespace

BENCHMARK_MAIN();
