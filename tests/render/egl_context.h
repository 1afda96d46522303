#pragma once
// An off-screen OpenGL context on Mesa's software rasteriser, for tests
// that need real GL: EGL on the surfaceless platform with a pbuffer.

#include <string>

class OffscreenGl {
public:
    OffscreenGl(int width, int height);
    ~OffscreenGl();
    OffscreenGl(const OffscreenGl&) = delete;
    OffscreenGl& operator=(const OffscreenGl&) = delete;

    // False when no EGL display could be opened at all: the only case in
    // which GL tests may skip rather than fail.
    bool has_display() const { return display_ != nullptr; }
    // False when anything failed; why() says which step.
    bool ok() const { return ok_; }
    const std::string& why() const { return why_; }

private:
    bool ok_ = false;
    std::string why_;
    void* display_ = nullptr;
    void* surface_ = nullptr;
    void* context_ = nullptr;
};
