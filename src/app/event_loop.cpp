// The one loop: waits for the keyboard, the work in flight, deadlines and signal flags, turns
// each into an event for the update step, and writes a frame when the model changed.
#include "app/event_loop.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <poll.h>
#include <span>
#include <string>
#include <vector>

#include "nav/model.hpp"
#include "term/frame_writer.hpp"
#include "term/key_queue.hpp"
#include "term/terminal.hpp"
#include "ui/fetch_work.hpp"
#include "ui/frame.hpp"
#include "ui/page_on_screen.hpp"
#include "ui/update.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// With nothing due sooner the wait still ends this often, so a signal's flag that was raised
// just before the wait began is seen soon.
constexpr int tick_ms = 100;

// Ctrl-L: the screen is painted again whole, for one that another program wrote over. It
// changes nothing else, so the model never sees it.
constexpr unsigned char repaint_key = 0x0c;

// The keyboard's side of the loop: the queue, and when a key still unfinished at its end is
// taken as it is (an ESC followed by nothing is the Esc key).
struct Input {
    int fd;
    KeyQueue queue;
    Clock::time_point settle_at = Clock::time_point::max();
    bool held = false; // keys wait while a page loads
};

int ms_until(Clock::time_point when, Clock::time_point now) {
    if (when <= now) {
        return 0;
    }
    const auto left = std::chrono::duration_cast<milliseconds>(when - now).count();
    // Rounded up, so that a wait that ends early does not spin until the deadline.
    return left < tick_ms ? static_cast<int>(left) + 1 : tick_ms;
}

struct Loop {
    Model* model;
    Input input;
    FrameWriter writer; // what the terminal shows: the last frame written
    bool dirty = false;
    bool repaint = false; // the next frame clears the screen and is written whole
    std::string bytes;    // the frame's bytes, kept for the next frame's

    void apply(const Event& event) { dirty = update(model, event, Clock::now()) || dirty; }

    void draw() {
        // Plain output has no screen: the bytes it writes are the page.
        if (dirty && !model->plain_output) {
            bytes.clear();
            write_frame(&writer, draw_frame(*model), repaint, &bytes);
            // One write for the whole frame.
            std::fwrite(bytes.data(), 1, bytes.size(), stdout);
            std::fflush(stdout);
            repaint = false;
        }
        dirty = false;
    }

    // The next event that needs no waiting: a resize, work left after a frame, a whole key (or
    // only a cancel while a page loads), or the end of input. False when there is none.
    bool take_ready_event() {
        winsize window = model->window;
        if (take_pending_resize(&window)) {
            // The terminal may have moved or dropped what it showed.
            repaint = true;
            apply({.kind = EventKind::resize, .window = window});
            return true;
        }
        if (wants_fetch(*model)) {
            apply({.kind = EventKind::fetch});
            return true;
        }
        if (has_pending_work(*model)) {
            draw();
            apply({.kind = EventKind::idle});
            return true;
        }
        KeyQueue& queue = input.queue;
        const bool held = keys_held(*model);
        if (held && !input.held) {
            // Keys queued when a page is asked for were typed after the key that asked for it
            // (a burst such as Enter then Esc), so they are watched too.
            queue.scanned = 0;
        }
        input.held = held;
        const bool settled = Clock::now() >= input.settle_at;
        if (held) {
            if (take_cancel(&queue, settled)) {
                apply({.kind = EventKind::cancel});
                return true;
            }
            return false;
        }
        if (const DecodedKey key = take_key(&queue, settled); key.length > 0) {
            if (key.key == Key::byte && key.byte == repaint_key) {
                repaint = true;
                dirty = true;
                return true;
            }
            apply({.kind = EventKind::key, .key = key});
            return true;
        }
        if (input.fd >= 0 && queue.ended && queue.length == 0) {
            apply({.kind = EventKind::input_ended});
            return true;
        }
        return false;
    }

    // One wait for everything, then the events it brought.
    void wait() {
        Waits waits;
        collect_waits(*model, &waits);
        std::vector<pollfd> watched;
        watched.reserve(waits.fds.size() + 1);
        const bool keyboard = input.fd >= 0 && !input.queue.ended;
        if (keyboard) {
            watched.push_back({input.fd, POLLIN, 0});
        }
        for (const Wait& wait : waits.fds) {
            watched.push_back({wait.fd, wait.events, 0});
        }
        Clock::time_point deadline = waits.deadline;
        if (key_unfinished(input.queue, input.held)) {
            deadline = std::min(deadline, input.settle_at);
        }
        const int ready = poll(watched.data(), watched.size(), ms_until(deadline, Clock::now()));
        if (ready < 0 && errno != EINTR) {
            // Nothing can be waited for any more: what the keyboard held is all there is.
            input.queue.ended = true;
        }
        const Clock::time_point now = Clock::now();
        std::span<const pollfd> work{watched};
        if (keyboard) {
            if (ready > 0 && watched.front().revents != 0) {
                const KeyboardRead got = read_keyboard(&input.queue, input.fd);
                if (got.got) {
                    input.settle_at = now + milliseconds(escape_wait_ms);
                }
                if (got.cancelled && keys_held(*model)) {
                    apply({.kind = EventKind::cancel});
                }
            }
            work = work.subspan(1);
        }
        for (const pollfd& entry : work) {
            if (ready > 0 && entry.revents != 0) {
                apply({.kind = EventKind::ready, .fd = entry.fd, .revents = entry.revents});
            }
        }
        if (now >= waits.deadline) {
            apply({.kind = EventKind::time});
        }
    }
};

} // namespace

void run_event_loop(Model* model, int input_fd) {
    Loop loop{model, {input_fd, {}}, {}, false, false, {}};
    while (model->running) {
        // Every key read ends with a frame, even one that changes nothing.
        while (model->running && loop.take_ready_event()) {
            loop.draw();
        }
        if (!model->running) {
            break;
        }
        loop.draw();
        loop.wait();
    }
    std::fflush(stdout);
}
