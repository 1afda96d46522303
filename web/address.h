#pragma once
// The page's address: the query's option words, the fragment's link to a
// view (core/view_link.h), read at the start and whenever a person edits
// the fragment, and the fragment following the view on screen.

#include <string>

#include "core/view.h"

class PageAddress {
public:
    // Reads the query and the fragment.
    void read();
    // Reads the fragment again; false when it holds no view.
    bool read_link();

    const std::string& options() const { return options_; }

    // Gives the viewer the link's view, if there is one, or says why it
    // cannot. Whether the figure fills the window: as the link was shared,
    // else as the query's options say.
    bool open_link() const;

    // The fragment links to the view on screen, at most this often: a
    // turning figure's view changes every frame, and browsers throttle
    // replaceState.
    static constexpr double FOLLOW_EVERY_MS = 1000.0;
    void follow(const View& view, bool fill);

private:
    std::string options_;
    bool options_fill_ = true;
    std::string link_;  // the fragment's view, as the address gave it
    bool link_fill_ = false;
    double followed_at_ = -FOLLOW_EVERY_MS;
    std::string followed_;
};
