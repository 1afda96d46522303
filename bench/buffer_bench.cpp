// The figure's frames off-screen on this machine's GL, drawn two ways: GL 1.1
// immediate mode (polytree.exe's path) and the OpenGL ES 3 vertex buffer
// (the web page's path), each frame a new twist (walk, upload, draw, finish),
// in rounds that alternate so that both see the same machine.
//
//   polytree-buffer-bench [SECONDS_PER_ROUND]     prints frames per second per level
#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/egl_offscreen.h"
#include "render/figure_buffer.h"
#include "render/scene.h"

namespace {

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;
constexpr int ROUNDS = 3;

using Clock = std::chrono::steady_clock;

template <class Draw>
double frames_per_second(double seconds, Draw&& draw) {
    const Clock::time_point start = Clock::now();
    int frames = 0;
    double twist = 0.0;
    for (;;) {
        draw(twist);
        glFinish();
        twist = next_twist(twist);
        ++frames;
        const double spent = std::chrono::duration<double>(Clock::now() - start).count();
        if (spent >= seconds) return frames / spent;
    }
}

int fail(const std::string& why) {
    std::fprintf(stderr, "polytree-buffer-bench: %s\n", why.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
    const int levels[][2] = {{3, 7}, {3, 10}, {3, 12}};
    const Camera camera = start_camera(START_SCALE);
    for (const auto& level : levels) {
        double immediate = 0.0;
        double buffer = 0.0;
        for (int round = 0; round < ROUNDS; ++round) {
            {
                OffscreenGl gl;
                if (!gl.ok() || !gl.use_framebuffer(WIDTH, HEIGHT)) return fail(gl.why());
                set_view(0, 0, WIDTH, HEIGHT, START_SCALE);
                setup_gl_state();
                immediate += frames_per_second(seconds, [&](double twist) {
                    draw_scene(Figure{level[0], level[1], twist, START_SCALE}, camera);
                });
            }
            {
                OffscreenGl es(OffscreenGl::Api::gles3);
                if (!es.ok() || !es.use_framebuffer(WIDTH, HEIGHT)) return fail(es.why());
                FigureBuffer figure_buffer;
                if (!figure_buffer.create()) return fail(figure_buffer.why());
                figure_buffer.resize(WIDTH, HEIGHT, START_SCALE);
                buffer += frames_per_second(seconds, [&](double twist) {
                    figure_buffer.draw_scene(Figure{level[0], level[1], twist, START_SCALE}, camera);
                });
            }
        }
        std::printf("B%d L%d %dx%d: immediate mode %.1f fps, vertex buffer %.1f fps (%.2fx)\n", level[0], level[1],
                    WIDTH, HEIGHT, immediate / ROUNDS, buffer / ROUNDS, buffer / immediate);
    }
    return 0;
}
