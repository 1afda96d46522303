#pragma once
// Where the frames go: one interface over every kind of output (a still, a
// file a frame, an animation or video, lines for plotters), so that one
// loop draws the frames whatever takes them.

#include <memory>
#include <string>

#include "cli/image_files.h"
#include "cli/render_args.h"
#include "core/view.h"

// A frame on its way to the output.
struct Frame {
    long number;  // the first is --frame N's
    const View& view;
    // What draws it: the program's version, and the GL driver's when the
    // frame is drawn through GL.
    const std::string& drawn_by;
    // Read back from GL; none before it is drawn, nor for outputs drawn as
    // lines (those draw the view themselves).
    const Picture* picture = nullptr;
};

class FrameWriter {
public:
    virtual ~FrameWriter() = default;

    // Ready for the first frame (an encoder set up, a killed run's leftovers
    // gone); false, with error set, when not.
    virtual bool begin(std::string& error) = 0;
    // Before the frame is drawn: its own file made, where it has one, so
    // that an unwritable place fails before the drawing; `kept` set where a
    // resumed run keeps the frame already written as it would write it
    // (then it is neither drawn nor added). False, with error set, when the
    // file cannot be made.
    virtual bool open_frame(const Frame&, bool& kept, std::string&) {
        kept = false;
        return true;
    }
    virtual bool add(const Frame& frame, std::string& error) = 0;
    // Completes the output: each file appears under its name only now.
    virtual bool finish(std::string& error) = 0;
};

// The writer of the request's output, its file or folder found writable
// before any drawing (where it is not, the arguments are bad): null, with
// error set, when it is not.
std::unique_ptr<FrameWriter> open_writer(const RenderRequest& request, std::string& error);

// What --no-clobber finds in the way before any drawing, `first` the first
// frame's view and `drawn_by` what draws it: a file of the output's name, or
// a frame of the range (with --resume, one that holds another drawing of
// its frame). "" when nothing is, or when files may be replaced.
std::string files_in_the_way(const RenderRequest& request, const View& first, const std::string& drawn_by);

// Whether a file holds a frame as this request would write it (but for
// the twist): whole, of its size and background, drawn by `drawn_by`, and
// of this view.
bool holds_frame(const RenderRequest& request, const std::string& name, const View& view,
                 const std::string& drawn_by);
