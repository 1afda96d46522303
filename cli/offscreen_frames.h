#pragma once
// polytree-render's one use of GL: a context and framebuffer off-screen
// (EGL, no window or screen) set up as the viewer sets up its window,
// drawing a frame sequence's frames from the frame worker's arrays and
// reading them back.

#include <string>

#include "cli/image_files.h"
#include "platform/egl_offscreen.h"
#include "render/frame_worker.h"
#include "viewer/frame_sequence.h"

class OffscreenFrames {
public:
    // "" when a context could be made, else why not.
    std::string error() const;
    // The largest width and height the driver draws.
    int max_size() const { return gl_.max_size(); }
    // A framebuffer of that size, drawn into with the viewer's GL state and
    // projection; "" when it can be, else why not.
    std::string use_size(int width, int height);

    // What draws the frames: the program's version and the GL driver's.
    // GL_RENDERER names LLVM on llvmpipe, not Mesa: GL_VERSION does.
    std::string drawn_by(const std::string& program) const;
    // The GL renderer's name, "" when the driver gives none.
    std::string renderer() const;

    // Draws the sequence's current frame from the frame worker's arrays;
    // with more, the worker starts on the following one meanwhile.
    void draw(const FrameSequence& frames, bool more);
    // Waits until the frames are drawn.
    void wait();
    // The frame drawn, read back; with alpha, clear off the figure.
    void read(Picture& picture, bool alpha);
    // False, with the driver's error, when drawing failed since last asked.
    bool drew(std::string& error);

private:
    OffscreenGl gl_;
    FrameWorker worker_;
    int width_ = 0;
    int height_ = 0;
};
