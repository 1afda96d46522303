// The figure's own work per segment with a timing loop of its own, for the
// runtimes Google Benchmark is not built for (the MinGW-w64 .exe under
// Wine): the same measurements as the native benchmark. With --check it
// instead tests that this runtime's sincos gives its sin and cos to the
// last bit, the condition for using it.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/figure_work.h"
#include "render/trig_check.h"

namespace {

// Nanoseconds per segment of f for work(): the fastest of many short
// batches over min_seconds, so that other work on the machine, which can
// only slow a batch down, drops out.
template <class Work>
double ns_per_segment(const Figure& f, Work work, double min_seconds) {
    using Clock = std::chrono::steady_clock;
    work();  // warm up
    double best = 1e300;
    const auto start = Clock::now();
    do {
        const auto batch = Clock::now();
        long runs = 0;
        do {
            work();
            ++runs;
        } while (std::chrono::duration<double>(Clock::now() - batch).count() < 0.02);
        const double seconds = std::chrono::duration<double>(Clock::now() - batch).count();
        const double ns = seconds * 1e9 / (static_cast<double>(runs) * static_cast<double>(segments_of(f)));
        if (ns < best) best = ns;
    } while (std::chrono::duration<double>(Clock::now() - start).count() < min_seconds);
    return best;
}

// Through pointers the compiler cannot turn the pair into one sincos call:
// this is what separate sin and cos calls cost on this runtime.
double (*volatile sine_function)(double) = std::sin;
double (*volatile cosine_function)(double) = std::cos;

void separate_calls(const std::vector<double>& angles) {
    double (*const sine)(double) = sine_function;
    double (*const cosine)(double) = cosine_function;
    for (const double a : angles) {
        keep(sine(a));
        keep(cosine(a));
    }
}

int check_sincos() {
    const SinCosCheck check = check_sin_cos(200000);
    std::printf("sin_cos against sin and cos: %ld arguments, %ld differing\n", check.checked, check.differing);
    if (check.differing != 0) std::printf("first differing at %.17g\n", check.first_differing);
    return check.differing == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--check") == 0) return check_sincos();
    const double seconds = argc > 1 ? std::atof(argv[1]) : 0.5;
    std::printf("%-10s %12s %12s %14s %10s\n", "figure", "emission", "sin_cos", "sin, cos", "own work");
    for (const Figure& f : bench_figures()) {
        const std::vector<double> angles = frame_angles(f);
        const double emit = ns_per_segment(f, [&f] { emit_frame(f); }, seconds);
        const double trig = ns_per_segment(f, [&angles] { sin_cos_calls(angles); }, seconds);
        const double both = ns_per_segment(f, [&angles] { separate_calls(angles); }, seconds);
        const std::string name = "B" + std::to_string(f.branches) + " L" + std::to_string(f.levels);
        std::printf("%-10s %9.2f ns %9.2f ns %11.2f ns %9.0f%%\n", name.c_str(), emit, trig, both,
                    100.0 * (emit - trig) / trig);
    }
    return 0;
}
