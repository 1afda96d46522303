#pragma once
// A progress bar on stderr for long renders, drawn only when stderr is a
// terminal: logs and pipes get nothing.

#include <string>

class Progress {
public:
    Progress(std::string label, long total, bool wanted);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void update(long done);

private:
    std::string label_;
    long total_;
    bool shown_;
    int last_percent_ = -1;
};
