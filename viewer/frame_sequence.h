#pragma once
// The frames a program shows, one after another: the view of the frame on
// screen, of the frame to draw now and of the one after it, and the rule
// that moves the twist from one to the next. Every program but polytree.exe
// keeps its frames here (polytree.exe keeps its record, whose twist its
// draw_frame moves itself).

#include <cmath>

#include "core/camera.h"
#include "core/view.h"
#include "render/polygon_tree.h"

// How the twist moves from one frame to the next.
enum class Turning {
    unless_paused,  // the viewers: a degree a drawn frame, none while paused
    always,         // polytree-render's animations, the page's video: paused or not
    by_time,        // the screen savers: degrees a second, whatever the frame rate
};

// The figure of a view, at the scene's unit of length.
inline Figure figure_of(const View& view, double scale = START_SCALE) {
    return Figure{view.branches, view.levels, view.twist, scale};
}

class FrameSequence {
public:
    // Frames from first on; a clock's turning counts degrees_per_second.
    explicit FrameSequence(const View& first, Turning turning = Turning::unless_paused, int degrees_per_second = 0)
        : current_(first), shown_(first), turning_(turning), degrees_per_second_(degrees_per_second) {}

    // The view to draw now.
    const View& current() const { return current_; }

    // The view drawn after the current one, as far as it is known now: a
    // clock's turning knows it only when the time comes (at), and a paused
    // viewer's stays where it is.
    View following() const {
        View next = current_;
        if (turns()) next.twist = next_twist(next.twist);
        return next;
    }

    // The frame last drawn; before any, the first view.
    const View& shown() const { return shown_; }
    bool has_shown() const { return shown_step_ >= 0; }
    // How many steps of the twist the frame on screen is from the first
    // (or from the last count_from_here); -1 before any frame was drawn.
    int shown_step() const { return shown_step_; }

    // The current frame was drawn: it is on screen now, and the following
    // one is current.
    void drawn() {
        shown_ = current_;
        shown_step_ = next_step_;
        if (turns()) ++next_step_;
        current_ = following();
    }

    // What is drawn next changed (a key moved the camera, a link opened a
    // view): the sequence goes on from view.
    void replace(const View& view) { current_ = view; }

    // The frame drawn next counts as the first again; the one on screen
    // stays on screen until then.
    void count_from_here() { next_step_ = 0; }

    // A clock's turning: the current frame's twist after seconds, kept
    // within one turn so that it loses no precision however long a saver
    // runs.
    void at(double seconds) {
        current_.twist = std::fmod(seconds * degrees_per_second_, 360.0) * ONE_DEGREE;
    }

private:
    bool turns() const {
        return turning_ == Turning::always || (turning_ == Turning::unless_paused && !current_.paused);
    }

    View current_;
    View shown_;
    Turning turning_;
    int degrees_per_second_;
    int shown_step_ = -1;
    int next_step_ = 0;
};
