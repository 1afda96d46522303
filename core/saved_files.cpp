#include "core/saved_files.h"

#include <algorithm>

std::string saved_file_name(const View& view, const std::string& extension) {
    std::string name = "polytree " + write_view(view);
    std::replace(name.begin(), name.end(), ':', '=');
    return name + "." + extension;
}

std::string render_command(const View& view, int width, int height, int frames, const std::string& extension) {
    // A view's words are letters, digits and ".,:-": quoted, a shell takes them whole.
    return "polytree-render --view '" + write_view(view) + "' --size " + std::to_string(width) + "x" +
           std::to_string(height) + (frames > 0 ? " --frames " + std::to_string(frames) : std::string()) + " -o polytree." +
           extension;
}
