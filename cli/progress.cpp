#include "cli/progress.h"

#include <unistd.h>

#include <cstdio>

Progress::Progress(std::string label, long total, bool wanted, bool rate)
    : label_(std::move(label)), total_(total), shown_(wanted && total > 0 && isatty(STDERR_FILENO) == 1), rate_(rate) {
    update(0);
}

Progress::~Progress() {
    if (shown_ && last_percent_ >= 0) std::fputc('\n', stderr);
}

void Progress::update(long done) {
    if (!shown_) return;
    const int percent = static_cast<int>(done * 100 / total_);
    const auto now = Clock::now();
    // A terminal line per percent is plenty, but a slow render's rate and
    // time left should not sit still for long.
    if (percent == last_percent_ && now - last_shown_ < std::chrono::seconds(1)) return;
    last_percent_ = percent;
    last_shown_ = now;
    constexpr int width = 30;
    char bar[width + 1];
    for (int i = 0; i < width; ++i) bar[i] = i < percent * width / 100 ? '#' : '.';
    bar[width] = '\0';
    std::fprintf(stderr, "\r%s [%s] %3d%% (%ld/%ld)", label_.c_str(), bar, percent, done, total_);
    const double seconds = std::chrono::duration<double>(now - start_).count();
    if (rate_ && done > 0 && seconds > 0) {
        const double per_second = done / seconds;
        const long left = static_cast<long>((total_ - done) / per_second + 0.5);
        std::fprintf(stderr, " %.1f frames/s, %ld:%02ld left  ", per_second, left / 60, left % 60);
    }
    std::fflush(stderr);
}
