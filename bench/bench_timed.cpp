// The figure's own work per segment, natively and in the MinGW-w64 .exe
// under Wine, with one timing loop of its own: Debian has no MinGW build of
// a benchmark library, and one method on both runtimes keeps their numbers
// comparable.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/figure_work.h"

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

}  // namespace

int main(int argc, char** argv) {
    double seconds = 0.5;
    char* end = nullptr;
    if (argc > 1) seconds = std::strtod(argv[1], &end);
    if (argc > 2 || (argc > 1 && (*end != '\0' || !(seconds > 0.0)))) {
        std::fprintf(stderr, "usage: polytree-bench [SECONDS per measurement, default 0.5]\n");
        return 2;
    }
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
