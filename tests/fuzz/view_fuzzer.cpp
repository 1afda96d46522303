// libFuzzer target of the view reader, whose text comes from anywhere (a
// chat, a web address, a PNG's text chunk): any text either reads or is
// refused with a message; what reads is written again, and that text reads
// back to the same view bit for bit, writes itself again unchanged, and
// gives the viewer's own option reader the same branches, levels and mode,
// with nothing to warn of.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/options.h"
#include "core/view.h"
#include "core/view_warnings.h"

namespace {

[[noreturn]] void fail(const std::string& message, const std::string& text) {
    std::fprintf(stderr, "view fuzzer: %s (text: %s)\n", message.c_str(), text.c_str());
    std::abort();
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool same_view(const View& a, const View& b) {
    return a.branches == b.branches && a.levels == b.levels && a.mode_index == b.mode_index &&
           a.paused == b.paused && same_bits(a.camera.pitch, b.camera.pitch) && same_bits(a.camera.yaw, b.camera.yaw) &&
           same_bits(a.camera.x, b.camera.x) && same_bits(a.camera.y, b.camera.y) &&
           same_bits(a.camera.z, b.camera.z) && same_bits(a.twist, b.twist);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)view_warnings(text);
    View view{};
    std::string error;
    if (!read_view(text, view, error)) {
        if (error.empty()) fail("refused without a message", text);
        return 0;
    }
    const std::string written = write_view(view);
    View again{};
    if (!read_view(written, again, error)) fail("its own text is refused: " + error, written);
    if (!same_view(view, again)) fail("read back as another view", written);
    if (write_view(again) != written) fail("written again as another text", written);
    const StartOptions options = read_options(written.c_str());
    if (options.branches != view.branches || options.levels != view.levels || options.mode_index != view.mode_index) {
        fail("its option words give another figure or mode", written);
    }
    const std::vector<std::string> warnings = view_warnings(written);
    if (!warnings.empty()) fail("its own text is warned of: " + warnings.front(), written);
    return 0;
}
