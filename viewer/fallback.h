#pragma once
// What the viewer does when the display refuses its full-screen mode: it asks
// whether to go on in a window instead, and on No tells the user that it ends.
// Each window layer learns of the refusal its own way and asks in its own
// boxes; the decision is made here alone. Where a question blocks until it is
// answered, fall_back_to_window asks and decides at once; where the answer
// comes later (a dialog on a web page), the layer asks FALLBACK_QUESTION
// itself and hands the answer to fallback_answered when it comes.

#include "core/viewer_state.h"
#include "viewer/texts.h"

// The user's answer to the fallback question, applied: Yes goes on in a
// window (fullscreen is cleared, so that the next F12 tries full screen
// again) and returns true; No has tell(caption, text) show the closing
// notice and returns false: the program ends.
template <class Tell>
bool fallback_answered(bool yes, Tell&& tell) {
    if (yes) {
        viewer.fullscreen = false;
        return true;
    }
    tell(texts::ERROR_CAPTION, texts::CLOSE_NOTICE);
    return false;
}

// Asks through ask(caption, text), which answers true for Yes, and applies
// the answer.
template <class Ask, class Tell>
bool fall_back_to_window(Ask&& ask, Tell&& tell) {
    return fallback_answered(ask(texts::FALLBACK_CAPTION, texts::FALLBACK_QUESTION), tell);
}
