#include "cli/frame_writers.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "cli/frame_check.h"
#include "cli/output_file.h"
#include "cli/plot_paths.h"
#include "cli/vector_files.h"
#include "cli/video_file.h"
#include "viewer/frame_sequence.h"

namespace {

// The pen's line on paper: a fine-liner's.
constexpr double PAPER_STROKE_MM = 0.3;

// One file, complete under its name only once finished; or standard output.
class FileWriter : public FrameWriter {
public:
    FileWriter(const std::string& path, const RenderRequest& r) : out_(path, !r.no_clobber) {}

    const OutputFile& file() const { return out_; }

    bool begin(std::string&) override { return true; }
    bool finish(std::string& error) override {
        if (!finish_format(error)) return false;
        if (out_.commit()) return true;
        error = out_.error();
        return false;
    }

protected:
    // What the file's format writes at its end.
    virtual bool finish_format(std::string&) { return true; }

    OutputFile out_;
};

// A PNG still, keeping its frame's view and what drew it; on standard
// output, one after another for each frame.
class PngWriter : public FileWriter {
public:
    using FileWriter::FileWriter;

    bool add(const Frame& frame, std::string& error) override {
        return write_png(out_.fd(), *frame.picture, write_view(frame.view), frame.drawn_by, error);
    }
};

// A frame's lines as a plotter draws them, in SVG or PDF. No GL needed.
class LinesWriter : public FileWriter {
public:
    LinesWriter(const std::string& path, const RenderRequest& r) : FileWriter(path, r), r_(r) {}

    bool add(const Frame& frame, std::string& error) override {
        const PaperLayout page = paper_layout(r_.width, r_.height, r_.paper, r_.margin_mm);
        const std::vector<PlotLayer> layers =
            plot_layers(figure_of(frame.view), frame.view.camera, r_.width, r_.height, page);
        VectorStyle style;
        style.stroke_mm = r_.stroke_mm.value_or(page.on_paper ? PAPER_STROKE_MM : MM_PER_PIXEL);
        style.background = !r_.transparent;
        style.view = write_view(frame.view);
        style.creator = frame.drawn_by;
        return r_.format.format == FileFormat::svg
                   ? write_svg(out_.fd(), layers, page, r_.width, r_.height, style, error)
                   : write_pdf(out_.fd(), layers, page, r_.width, r_.height, style, error);
    }

private:
    const RenderRequest& r_;
};

class GifFileWriter : public FileWriter {
public:
    GifFileWriter(const std::string& path, const RenderRequest& r)
        : FileWriter(path, r), gif_(out_.fd(), r.width, r.height, r.delay_ms) {}

    bool add(const Frame& frame, std::string& error) override { return gif_.add(*frame.picture, error); }

protected:
    bool finish_format(std::string& error) override { return gif_.finish(error); }

private:
    GifWriter gif_;
};

VideoSettings video_settings(const RenderRequest& r) {
    VideoSettings v;
    v.format = r.format.format;
    v.width = r.width;
    v.height = r.height;
    v.fps = r.fps;
    v.crf = r.crf.value_or(r.format.default_crf);
    v.lossless = r.lossless;
    v.full_colour = r.full_colour;
    v.alpha = r.transparent;
    return v;
}

class VideoWriter : public FileWriter {
public:
    VideoWriter(const std::string& path, const RenderRequest& r)
        : FileWriter(path, r), video_(out_.standard_output() ? "-" : out_.temporary(), video_settings(r)) {}

    bool begin(std::string& error) override { return video_.start(error); }
    bool add(const Frame& frame, std::string& error) override { return video_.add(*frame.picture, error); }

protected:
    bool finish_format(std::string& error) override { return video_.finish(error); }

private:
    VideoFile video_;
};

// The file of one frame: a PNG still or its lines.
std::unique_ptr<FileWriter> one_frame_file(const RenderRequest& r, const std::string& path) {
    if (r.format.lines) return std::make_unique<LinesWriter>(path, r);
    return std::make_unique<PngWriter>(path, r);
}

// A file a frame, named by the number field.
class NumberedFiles : public FrameWriter {
public:
    explicit NumberedFiles(const RenderRequest& r) : r_(r) {}

    bool begin(std::string&) override {
        // Temporary files a killed run left for frames of this range. Only
        // this range's: other runs may be writing the rest into the same
        // folder.
        if (!r_.resume) return true;
        std::error_code ignored;
        for (const std::string& leftover : leftovers_of(r_.output, r_.frame, r_.frames)) {
            std::filesystem::remove(leftover, ignored);
        }
        return true;
    }

    bool open_frame(const Frame& frame, bool& kept, std::string& error) override {
        const std::string name = r_.output.name_of(frame.number);
        kept = r_.resume && holds_frame(r_, name, frame.view, frame.drawn_by);
        if (kept) return true;
        file_ = one_frame_file(r_, name);
        if (file_->file().ok()) return true;
        error = file_->file().error();
        return false;
    }

    bool add(const Frame& frame, std::string& error) override {
        const bool written = file_->add(frame, error) && file_->finish(error);
        file_.reset();
        return written;
    }

    bool finish(std::string&) override { return true; }

private:
    const RenderRequest& r_;
    std::unique_ptr<FileWriter> file_;  // the frame's, between open_frame and add
};

// The folder that numbered frames go to, found writable before any drawing.
std::string frames_folder_error(const RenderRequest& r) {
    const std::string first = r.output.name_of(r.frame);
    const std::string folder = folder_of(first).empty() ? "." : folder_of(first);
    struct stat info{};
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return "cannot write '" + first + "': no folder '" + folder + "'";
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        return "cannot write '" + first + "': folder '" + folder + "' is not writable";
    }
    return "";
}

// A file of that name (a link or a folder too).
bool there(const std::string& name) {
    struct stat info{};
    return lstat(name.c_str(), &info) == 0;
}

}  // namespace

bool holds_frame(const RenderRequest& r, const std::string& name, const View& view, const std::string& drawn_by) {
    const FrameFacts expected{PngFacts{r.width, r.height, r.transparent, "", drawn_by}, view};
    FrameFacts found;
    return read_frame_facts(name, found).empty() && frame_difference(found, expected) == FrameDifference::none;
}

std::string files_in_the_way(const RenderRequest& r, const View& first, const std::string& drawn_by) {
    if (!r.no_clobber || r.piped()) return "";
    if (!r.numbered()) {
        return there(r.output.literal()) ? "'" + r.output.literal() + "' is there already: --no-clobber leaves it" : "";
    }
    std::string first_found;
    long found = 0;
    for (long frame = r.frame; frame < static_cast<long>(r.frame) + r.frames; ++frame) {
        const std::string name = r.output.name_of(frame);
        // A frame that --resume keeps is not replaced.
        if (!there(name) || (r.resume && holds_frame(r, name, first, drawn_by))) continue;
        if (found++ == 0) first_found = name;
    }
    if (found == 0) return "";
    const std::string more = found == 1 ? "" : " (and " + std::to_string(found - 1) + " more of the range)";
    if (r.resume) return "'" + first_found + "'" + more + " holds another drawing of its frame: --no-clobber leaves it";
    return "'" + first_found + "'" + more + " is there already: --no-clobber leaves it (--resume keeps frames of " +
           "this drawing)";
}

std::unique_ptr<FrameWriter> open_writer(const RenderRequest& r, std::string& error) {
    if (r.format.video()) {
        error = video_settings_error(video_settings(r));
        if (!error.empty()) return nullptr;
    }
    if (r.numbered()) {
        error = frames_folder_error(r);
        if (!error.empty()) return nullptr;
        return std::make_unique<NumberedFiles>(r);
    }
    if (r.piped() && isatty(STDOUT_FILENO) == 1) {
        error = "-o -: standard output is a terminal: send it to a file or a program (> FILE, | PROGRAM)";
        return nullptr;
    }
    const std::string path = r.output.literal();
    std::unique_ptr<FileWriter> writer;
    if (r.format.video()) {
        writer = std::make_unique<VideoWriter>(path, r);
    } else if (r.format.animation) {
        writer = std::make_unique<GifFileWriter>(path, r);
    } else {
        writer = one_frame_file(r, path);
    }
    if (!writer->file().ok()) {
        error = writer->file().error();
        return nullptr;
    }
    return writer;
}
