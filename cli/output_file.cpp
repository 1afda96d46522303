#include "cli/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "cli/exit_codes.h"

namespace {

// A temporary file is named "." + name + TEMPORARY_SUFFIX, mkstemp's X's
// made into six characters: hidden, and beside the file it becomes.
const std::string TEMPORARY_SUFFIX = ".XXXXXX";

// The one temporary file alive, for the signal handler: it may only call
// async-signal-safe functions, so the name is kept as a plain array.
char pending[4096];

extern "C" void remove_pending_and_exit(int signal_number) {
    if (pending[0] != '\0') unlink(pending);
    _exit(EXIT_SIGNALLED + signal_number);
}

void watch_signals() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal_number, remove_pending_and_exit);
}

}  // namespace

OutputFile::OutputFile(std::string path, bool replace) : path_(std::move(path)), replace_(replace) {
    if (standard_output()) {
        fd_ = STDOUT_FILENO;
        return;
    }
    struct stat info{};
    if (stat(path_.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        error_ = "cannot write '" + path_ + "': it is a folder";
        return;
    }
    const std::size_t slash = path_.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path_.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    temporary_ = folder + "." + name + TEMPORARY_SUFFIX;
    if (temporary_.size() >= sizeof(pending)) {
        error_ = "cannot write '" + path_ + "': the name is too long";
        return;
    }
    watch_signals();
    std::strcpy(pending, temporary_.c_str());
    fd_ = mkstemp(pending);
    if (fd_ < 0) {
        error_ = "cannot write '" + path_ + "': " + std::strerror(errno);
        pending[0] = '\0';
        temporary_.clear();
        return;
    }
    temporary_ = pending;
    // mkstemp makes the file private; the picture gets the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd_, 0666 & ~mask);
}

OutputFile::~OutputFile() { discard(); }

std::string OutputFile::quoted() const { return standard_output() ? "standard output" : "'" + path_ + "'"; }

// Gives the complete file its name. Where no file may be replaced, link()
// names it only if no file has the name, in one step that no other program
// can come between.
bool OutputFile::name_file() {
    if (replace_) return std::rename(temporary_.c_str(), path_.c_str()) == 0;
    if (link(temporary_.c_str(), path_.c_str()) == 0) {
        unlink(temporary_.c_str());  // the file has its name whatever this does
        return true;
    }
    // File systems without hard links (FAT, some network ones): looked for,
    // then renamed.
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != ENOSYS) return false;
    struct stat info{};
    if (lstat(path_.c_str(), &info) == 0) {
        errno = EEXIST;
        return false;
    }
    return std::rename(temporary_.c_str(), path_.c_str()) == 0;
}

bool OutputFile::commit() {
    if (fd_ < 0) return false;
    const int fd = fd_;
    fd_ = -1;
    if (standard_output()) {
        // A pipe takes no fsync; closing reports a file's last write error.
        if (close(fd) == 0) return true;
        error_ = "cannot write to standard output: " + std::string(std::strerror(errno));
        return false;
    }
    if (fsync(fd) != 0 || close(fd) != 0) {
        error_ = "cannot write " + quoted() + ": " + std::strerror(errno);
    } else if (!name_file()) {
        error_ = errno == EEXIST ? quoted() + " appeared while it was drawn: --no-clobber leaves it"
                                 : "cannot rename '" + temporary_ + "' to " + quoted() + ": " + std::strerror(errno);
    } else {
        pending[0] = '\0';
        temporary_.clear();
        return true;
    }
    discard();
    return false;
}

void OutputFile::discard() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) unlink(temporary_.c_str());
    temporary_.clear();
    pending[0] = '\0';
}

std::string name_behind_temporary(const std::string& file_name) {
    const std::size_t around = 1 + TEMPORARY_SUFFIX.size();
    const std::size_t dot = file_name.size() - TEMPORARY_SUFFIX.size();
    if (file_name.size() <= around || file_name[0] != '.' || file_name[dot] != '.') return "";
    return file_name.substr(1, dot - 1);
}
