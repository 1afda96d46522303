#include "render/frame_worker.h"


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
