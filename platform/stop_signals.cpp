#include "platform/stop_signals.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

std::atomic<int> received{0};
// Written once when a stop is asked for; its other end is stop_signal_fd().
int wake_pipe[2] = {-1, -1};

sigset_t stop_set() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

// The parent process of pid, from /proc/pid/stat (its fourth field, after
// the name in parentheses, which may itself hold blanks and parentheses).
pid_t parent_of(const char* pid) {
    char path[32 + sizeof(dirent::d_name)];
    std::snprintf(path, sizeof(path), "/proc/%s/stat", pid);
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr) return 0;
    char line[512];
    const bool read = std::fgets(line, sizeof(line), file) != nullptr;
    std::fclose(file);
    const char* name_end = read ? std::strrchr(line, ')') : nullptr;
    char state = 0;
    int parent = 0;
    if (name_end == nullptr || std::sscanf(name_end + 1, " %c %d", &state, &parent) != 2) return 0;
    return parent;
}

// A message box's process: the program has no other children. It was forked
// with the signals blocked, so only SIGKILL ends it.
void end_children() {
    DIR* processes = opendir("/proc");
    if (processes == nullptr) return;
    const pid_t self = getpid();
    while (const dirent* entry = readdir(processes)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
        if (parent_of(entry->d_name) == self) kill(static_cast<pid_t>(std::atoi(entry->d_name)), SIGKILL);
    }
    closedir(processes);
}

void take_signals() {
    const sigset_t set = stop_set();
    int number = 0;
    if (sigwait(&set, &number) != 0) return;
    received.store(number);
    if (wake_pipe[1] >= 0) {
        const char byte = 1;
        // Nothing to do if it fails: the flag alone still stops the program
        // at its next look.
        [[maybe_unused]] const ssize_t written = write(wake_pipe[1], &byte, 1);
    }
    // Until the program has ended: a box may be about to fork when the
    // signal comes. A second signal ends it there and then, whatever it is
    // busy with.
    const timespec pause = {0, 20 * 1000 * 1000};
    for (;;) {
        end_children();
        const int again = sigtimedwait(&set, nullptr, &pause);
        if (again > 0) end_by_signal(again);
    }
}

}  // namespace

void watch_stop_signals() {
    const sigset_t set = stop_set();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    if (pipe(wake_pipe) != 0) wake_pipe[0] = wake_pipe[1] = -1;
    std::thread(take_signals).detach();
}

int stop_signal() { return received.load(); }

int stop_signal_fd() { return wake_pipe[0]; }

void end_by_signal(int signal_number) {
    signal(signal_number, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal_number);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    raise(signal_number);
    _exit(128 + signal_number);
}
