#pragma once
// Pictures and videos of the frame on screen, for the page's Save and
// Record: the frame drawn again through the page's figure buffer into an
// off-screen framebuffer of their own size, and read back top row first and
// opaque into memory that the page's script reads.

#include <optional>
#include <string>

#include "platform/framebuffer.h"
#include "render/figure_buffer.h"
#include "viewer/frame_sequence.h"

// A picture's size: each side up to the context's largest framebuffer, and
// at most this many pixels (128 MB of RGBA in the wasm memory, as much again
// in the browser's copy for its PNG encoder).
constexpr long long MOST_PICTURE_PIXELS = 1LL << 25;

class Capture {
public:
    // Draws through buffer, which draws on the canvas the selector names
    // when no capture is open.
    Capture(FigureBuffer& buffer, const char* canvas);
    ~Capture() { close(); }
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    // The largest side of a picture; 0 without a context to draw in.
    int largest_side() const;

    // The frame on screen at that size: its RGBA pixels in memory the caller
    // frees (std::free), or null with error() said.
    unsigned char* picture(int width, int height, const FrameSequence& screen, double scale);

    // A video of the view on screen, frame by frame: open gives the memory
    // the frames are read into (null, with error() said, as for a picture);
    // each next_frame draws the next one there, the view's own first, the
    // twist moving on a degree a frame, paused or not, as polytree-render's
    // animations turn; close draws on the canvas again.
    unsigned char* open_video(int width, int height, const FrameSequence& screen, double scale);
    bool next_frame();
    void close();

    const std::string& error() const { return error_; }

private:
    bool open(int width, int height, const FrameSequence& screen, double scale);

    FigureBuffer& buffer_;
    const char* canvas_;
    Framebuffer framebuffer_;
    std::optional<FrameSequence> frames_;  // while open
    double scale_ = 1.0;
    unsigned char* pixels_ = nullptr;
    std::string error_;
};
