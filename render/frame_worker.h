#pragma once
// The figure's next frame walked on a thread of its own while the current
// one is drawn: its geometry depends on the figure alone, not on the
// camera, so it can be ready before the frame that shows it begins. Native
// programs only (the .exe's thread model has no std::thread).
//
// The worker makes no GL call and knows nothing of the viewer's record: it
// fills what it is handed (viewer/worker_frame.h hands it the viewer's).

#include <condition_variable>
#include <mutex>
#include <thread>

#include "render/figure_arrays.h"

class FrameWorker {
public:
    FrameWorker();
    // Stops and joins the thread, whichever way its owner ends.
    ~FrameWorker();
    FrameWorker(const FrameWorker&) = delete;
    FrameWorker& operator=(const FrameWorker&) = delete;

    // The arrays of figure, to be drawn now: the ones filled ahead when they
    // were filled for it, the ones drawn last when they still hold it (a
    // paused figure), otherwise filled here and now. Then, unless next is
    // the same figure, the worker starts on next's. The arrays returned stay
    // as they are until the next call.
    const FigureArrays& arrays_for(const Figure& figure, const Figure& next);

    // How many fills so far were made on the calling thread, not ahead.
    int filled_on_the_spot() const { return on_the_spot_; }

private:
    void run();

    std::mutex mutex_;
    std::condition_variable changed_;
    FigureArrays buffers_[2];
    int front_ = 0;         // drawn by the caller; the other one is the worker's
    bool working_ = false;  // the worker is filling the other buffer
    bool stopping_ = false;
    Figure request_{};
    int on_the_spot_ = 0;
    std::thread thread_;  // last, so that it starts once everything it uses is made
};
