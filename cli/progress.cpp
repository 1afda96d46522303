#include "cli/progress.h"

#include <unistd.h>

#include <cstdio>

Progress::Progress(std::string label, long total, bool wanted)
    : label_(std::move(label)), total_(total), shown_(wanted && total > 0 && isatty(STDERR_FILENO) == 1) {
    update(0);
}

Progress::~Progress() {
    if (shown_ && last_percent_ >= 0) std::fputc('\n', stderr);
}

void Progress::update(long done) {
    if (!shown_) return;
    const int percent = static_cast<int>(done * 100 / total_);
    if (percent == last_percent_) return;  // a terminal line per percent is plenty
    last_percent_ = percent;
    constexpr int width = 30;
    char bar[width + 1];
    for (int i = 0; i < width; ++i) bar[i] = i < percent * width / 100 ? '#' : '.';
    bar[width] = '\0';
    std::fprintf(stderr, "\r%s [%s] %3d%% (%ld/%ld)", label_.c_str(), bar, percent, done, total_);
    std::fflush(stderr);
}
