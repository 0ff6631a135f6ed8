// The update step: every event the loop sees changes the model here, and only here.
#pragma once

#include <chrono>
#include <sys/ioctl.h>

#include "term/key_decoder.hpp"

struct Model;

enum class EventKind {
    fetch,       // a page was asked for (the first, a link, a reload...) and none is loading
    key,         // one whole key, in the order typed
    resize,      // the window has a new size
    input_ended, // no key can come any more: the run ends as if 'q' was pressed
    cancel,      // Esc or Ctrl-C while a page loads
    fetch_ready, // the fetch's socket is ready
    time,        // a deadline of the fetch may have passed (progress, connect, silence)
    idle,        // the frame is out: the work left for after it (a long menu's items, the
                 // text's line count) is done now, before the next key
};

struct Event {
    EventKind kind = EventKind::idle;
    DecodedKey key{};
    short revents = 0;
    winsize window{};
};

// Applies the event. True when the screen must be drawn again.
[[nodiscard]] bool update(Model* model, const Event& event,
                          std::chrono::steady_clock::time_point now);

// A page waits to be fetched: the loop then sends the fetch event.
[[nodiscard]] bool wants_fetch(const Model& model);
// Work waits that the idle event does.
[[nodiscard]] bool has_pending_work(const Model& model);

// The current page comes on screen (a fetch arrived, back, forward): its record is made anew
// when its content is another, the place it keeps bounded to it. A long menu shows its first
// screen before the rest is parsed, a text its first screen before its lines are counted
// (has_pending_work, then the idle event).
void show_current_page(Model* model);
