// The one place where a view learns what happens next: every key it reacts to comes in here.
#pragma once

#include "ui/key_decoder.hpp"

struct Browser;

enum class ViewEventKind {
    ended,  // running was found cleared, or input ended (then running is cleared: nobody is
            // left to press 'q')
    resize, // the window size changed; winsize holds the new one
    key,    // one whole key, in the order typed
};

struct ViewEvent {
    ViewEventKind kind;
    DecodedKey key;
};

// Waits until there is something a view must answer. Keys come whole off the browser's queue,
// none dropped; a resize is answered between two keys.
[[nodiscard]] ViewEvent next_view_event(Browser* browser);
