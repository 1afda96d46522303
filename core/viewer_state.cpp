#include "core/viewer_state.h"

namespace {

// Kept out of plain sight in the program's data: byte i is stored XORed with
// (i + 28), padding NULs included, so all 35 bytes come back when init_viewer
// undoes it. Only the scrambled copy reaches the binary.
constexpr char kCaptionPlain[] = "PolyTree - Polygon Tree Viewer";
static_assert(sizeof(kCaptionPlain) <= CAPTION_SIZE, "caption must fit its buffer with the NUL");

constexpr ViewerState initial_state() {
    ViewerState s = VIEWER_START;
    for (std::size_t i = 0; i < CAPTION_SIZE; ++i) {
        const char c = i < sizeof(kCaptionPlain) ? kCaptionPlain[i] : '\0';
        s.caption[i] = static_cast<char>(static_cast<unsigned char>(c) ^ static_cast<unsigned char>(i + 28));
    }
    return s;
}

constexpr ViewerState kInitialState = initial_state();

}  // namespace

// Copied from a constant expression, so the instance is complete at program
// load, before any code runs.
ViewerState viewer = kInitialState;
