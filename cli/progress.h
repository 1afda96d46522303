#pragma once
// A progress bar on stderr for long renders, drawn only when stderr is a
// terminal: logs and pipes get nothing. Frame counts show their rate and
// the time left.

#include <chrono>
#include <string>

class Progress {
public:
    // `rate`: add frames per second and the time left to the line.
    Progress(std::string label, long total, bool wanted, bool rate = false);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void update(long done);

private:
    using Clock = std::chrono::steady_clock;
    std::string label_;
    long total_;
    bool shown_;
    bool rate_;
    int last_percent_ = -1;
    Clock::time_point start_ = Clock::now();
    Clock::time_point last_shown_ = start_;
};
