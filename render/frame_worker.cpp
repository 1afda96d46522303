#include "render/frame_worker.h"

#include "core/viewer_state.h"
#include "render/scene.h"

FrameWorker::FrameWorker() : thread_([this] { run(); }) {}

FrameWorker::~FrameWorker() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

const FigureArrays& FrameWorker::arrays_for(const Figure& figure, const Figure& next) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !working_; });
    if (!buffers_[front_].holds(figure)) {
        if (buffers_[1 - front_].holds(figure)) {
            front_ = 1 - front_;
        } else {
            // The worker is idle and stays so while the lock is held.
            buffers_[front_].fill(figure);
            ++on_the_spot_;
        }
    }
    if (!same_figure(next, figure) && !buffers_[1 - front_].holds(next)) {
        request_ = next;
        working_ = true;
        changed_.notify_all();
    }
    return buffers_[front_];
}

void FrameWorker::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return working_ || stopping_; });
        if (stopping_) return;
        FigureArrays& back = buffers_[1 - front_];
        const Figure figure = request_;
        // The caller touches neither this buffer nor front_ until working_
        // is false again.
        lock.unlock();
        back.fill(figure);
        lock.lock();
        working_ = false;
        changed_.notify_all();
    }
}

bool draw_frame(FrameWorker& worker) {
    const Figure figure = viewer_figure();
    Figure next = figure;
    if (!viewer.paused) next.twist = next_twist(figure.twist);
    draw_scene(worker.arrays_for(figure, next), viewer_camera());
    if (!viewer.paused) advance_twist();
    return true;
}
