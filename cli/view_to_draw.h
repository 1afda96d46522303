#pragma once
// The view a request draws, resolved from the flags that give one and the
// flags that change its fields.

#include <string>
#include <vector>

#include "cli/render_args.h"
#include "core/view.h"

// The view to draw: --view-of's (the picture's), --view's or the words', or
// the start view of the option words; then the option words beside a view,
// and --frame, --pitch, --yaw and --camera, each over its own field. Sets
// the picture's size where --size did not: --view-of's picture's, else the
// view's display mode's. "" when it can, else why not (the arguments are
// bad: a picture that is missing, not a PNG of this program's or keeps no
// view). `warnings`: what the option words, the view's and those beside it
// together, ask for but do not get.
std::string view_to_draw(RenderRequest& request, View& view, std::vector<std::string>& warnings);
