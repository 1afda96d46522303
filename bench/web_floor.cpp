// The web page's floor: the page's canvas size, WebGL 2 context and
// animation-frame loop, replaying the figure's frames recorded beforehand
// (bench/floor_recordings.h) with one upload and one draw call each: what a
// frame of the page costs when the figure's walk costs nothing. Options from
// the query (floor.html?B3+L10); window.polytree.frame() counts its frames
// as the page's does.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bench/floor_recordings.h"
#include "core/options.h"
#include "platform/browser_canvas.h"
#include "render/figure_buffer.h"

namespace {

const char CANVAS[] = "#canvas";

struct Floor {
    std::vector<FigureArrays> frames;
    FigureBuffer buffer;
    std::size_t next = 0;
    int drawn = 0;
};

Floor* floor_page = nullptr;

EM_JS(char*, floor_option_text, (), {
    return allocateUTF8(decodeURIComponent(location.search.slice(1).replace(/[+&]/g, ' ')));
});

EM_JS(void, floor_expose, (), {
    window.polytree = {
        frame : function() { return Module._floor_frames(); },
        segments : function() { return 0; }
    };
});

EM_BOOL on_animation_frame(double, void*) {
    Floor& floor = *floor_page;
    floor.buffer.draw_scene(floor.frames[floor.next], start_camera(START_SCALE));
    floor.next = (floor.next + 1) % floor.frames.size();
    ++floor.drawn;
    return EM_TRUE;
}

}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE int floor_frames() { return floor_page == nullptr ? -1 : floor_page->drawn; }

int main() {
    char* text = floor_option_text();
    const StartOptions options = read_options(text);
    std::free(text);
    static Floor floor;
    floor.frames = record_frames<FigureArrays>(options);
    if (make_page_context(CANVAS) <= 0 || !floor.buffer.create()) return 1;
    emscripten_set_canvas_element_size(CANVAS, 640, 480);
    floor.buffer.resize(640, 480, START_SCALE);
    floor_page = &floor;
    floor_expose();
    emscripten_request_animation_frame_loop(on_animation_frame, nullptr);
    return 0;
}
