#pragma once
// A file that appears under its name only when it is complete: written
// under a temporary name in the same folder, renamed at the end, removed if
// anything fails or the program is interrupted. The name "-" is standard
// output, written straight.

#include <string>

class OutputFile {
public:
    // Creates the temporary file at once, so that an unwritable place is
    // found before any work is done. Without `replace`, a file found under
    // the name at the end is left as it is, and commit() fails.
    explicit OutputFile(std::string path, bool replace = true);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool ok() const { return fd_ >= 0; }
    const std::string& error() const { return error_; }
    int fd() const { return fd_; }
    bool standard_output() const { return path_ == "-"; }
    // The temporary file's name, for a writer that must open it by name:
    // FFmpeg's MP4 muxer reopens it to move its index to the front. ""
    // for standard output.
    const std::string& temporary() const { return temporary_; }

    // Flushes, closes and renames the file to its name. False, with error()
    // set and nothing left behind, when any step fails.
    bool commit();

private:
    void discard();
    bool name_file();
    // The file as messages name it.
    std::string quoted() const;

    std::string path_;
    bool replace_;
    std::string temporary_;
    std::string error_;
    int fd_ = -1;
};

// The name (without its folder) of the file that a temporary file of
// OutputFile's stands for, taken from the temporary's name: "" when the
// name is not one of theirs. For finding what a killed run left behind.
std::string name_behind_temporary(const std::string& file_name);
