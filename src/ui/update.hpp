// The update step: every event the loop sees changes the model here, and only here.
#pragma once

#include <chrono>
#include <sys/ioctl.h>

#include "nav/transfer.hpp"
#include "term/hand_over.hpp"
#include "term/key_decoder.hpp"
#include "ui/waits.hpp"

struct Model;

enum class EventKind {
    fetch,       // a page was asked for (the first, a link, a reload...) and none is loading
    key,         // one whole key, in the order typed
    resize,      // the window has a new size
    input_ended, // no key can come any more: the run ends as if 'q' was pressed
    cancel,      // Esc or Ctrl-C while a page loads
    ready,       // a descriptor of a transfer in flight is ready (fd, revents; transfer: whose)
    time,        // a deadline of the work in flight may have passed
    idle,        // the frame is out: the work left for after it (a long menu's items, the
                 // text's line count) is done now, before the next key
    answer,      // the terminal answered a question (key: its background, or its attributes)
    handed_back, // the programs the terminal was handed to have ended (program)
    resumed,     // the run is back from a stop (Ctrl-Z), at the window's size now (window)
};

struct Event {
    EventKind kind = EventKind::idle;
    DecodedKey key{};
    int fd = -1;
    short revents = 0;
    TransferKind transfer = TransferKind::fetch;
    winsize window{};
    ProgramEnd program{};
};

// What the loop does after an event, as the update step tells it.
struct Outcome {
    bool redraw = false;      // the screen must be drawn again
    bool fetch = false;       // a page was asked for and none is loading: the fetch event next
    bool after_frame = false; // work is left for after the next frame: the idle event then
    bool hold_keys = false;   // a page is asked for and not on screen: keys wait, but a cancel
    bool repaint = false;     // the screen is drawn whole: its colours changed
    bool suspend = false;     // Ctrl-Z: the terminal given back and the run stopped, if it can be
    bool hand_over = false;   // the terminal goes to the programs of Model::hand_over
};

// Applies the event.
[[nodiscard]] Outcome update(Model* model, const Event& event,
                             std::chrono::steady_clock::time_point now);

// What the work in flight waits for.
void collect_waits(const Model& model, Waits* waits);
