#include "web/address.h"

#include <emscripten/emscripten.h>

#include <cstdlib>

#include "core/view_link.h"
#include "viewer/frame.h"
#include "web/page_library.h"

namespace {

std::string taken(char* text) {
    std::string kept = text;
    std::free(text);
    return kept;
}

}  // namespace

void PageAddress::read() {
    options_ = taken(page_option_text());
    options_fill_ = options_fill(options_);
    read_link();
}

bool PageAddress::read_link() {
    link_ = without_fill_word(taken(page_link_text()), link_fill_);
    return !link_.empty();
}

bool PageAddress::open_link() const {
    if (link_.empty()) return options_fill_;
    View view{};
    std::string error;
    if (!read_view(link_, view, error)) {
        page_notice(("This link's view cannot be opened: " + error).c_str());
        return options_fill_;
    }
    set_viewer_view(view);
    return link_fill_;
}

void PageAddress::follow(const View& view, bool fill) {
    const double now = emscripten_get_now();
    if (now - followed_at_ < FOLLOW_EVERY_MS) return;
    std::string link = link_of(view, fill);
    if (link == followed_) return;
    followed_at_ = now;
    followed_ = link;
    page_follow_view(link.c_str());
}
