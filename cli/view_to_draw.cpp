#include "cli/view_to_draw.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "cli/image_files.h"
#include "core/display_modes.h"
#include "core/options.h"
#include "core/view.h"
#include "core/view_warnings.h"
#include "render/polygon_tree.h"

namespace {

// The view kept in --view-of's picture, and the picture's size where none
// was asked for; "" or why it cannot be read.
std::string view_of_picture(RenderRequest& r, View& view) {
    const std::string quoted = "--view-of '" + r.view_of + "': ";
    if (std::FILE* file = std::fopen(r.view_of.c_str(), "rb")) {
        std::fclose(file);
    } else {
        return quoted + std::strerror(errno);
    }
    PngFacts facts;
    if (!read_png_facts(r.view_of, facts)) return quoted + "not a complete PNG file";
    if (facts.view.empty()) {
        return quoted +
               "the picture keeps no view (only PNGs that this polytree-render wrote do; an older release's do not)";
    }
    std::string error;
    if (!read_view(facts.view, view, error)) return quoted + error;
    r.view_text = facts.view;
    if (r.width == 0) {
        r.width = facts.width;
        r.height = facts.height;
    }
    return "";
}

}  // namespace

std::string view_to_draw(RenderRequest& r, View& view, std::vector<std::string>& warnings) {
    view = View{};
    std::optional<View> given = r.view;
    if (!r.view_of.empty()) {
        given.emplace();
        if (const std::string error = view_of_picture(r, *given); !error.empty()) return error;
    }
    if (given) {
        view = *given;
        StartOptions options = {view.branches, view.levels, view.mode_index};
        const TokenList words(r.option_text.c_str());
        parse_options(words, options);
        view.branches = options.branches;
        view.levels = bounded_levels(options.branches, options.levels);
        view.mode_index = options.mode_index;
    } else {
        // Option words alone always read.
        std::string ignored;
        read_view(r.option_text, view, ignored);
    }
    if (r.frame_given) {
        // One degree at a time as the viewer adds it, so that the doubles
        // are the viewer's to the last bit.
        view.twist = 0.0;
        for (int i = 0; i < r.frame; ++i) view.twist = next_twist(view.twist);
    }
    if (r.pitch) view.camera.pitch = *r.pitch;
    if (r.yaw) view.camera.yaw = *r.yaw;
    if (r.camera) {
        view.camera.x = (*r.camera)[0];
        view.camera.y = (*r.camera)[1];
        view.camera.z = (*r.camera)[2];
    }
    if (r.width == 0) {
        r.width = DISPLAY_MODES[view.mode_index].width;
        r.height = DISPLAY_MODES[view.mode_index].height;
    }
    // The words beside a view come after its own, as they override them.
    warnings = view_warnings(given ? option_words_of(r.view_text) + " " + r.option_text : r.option_text);
    return "";
}
