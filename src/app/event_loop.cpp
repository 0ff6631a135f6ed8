// The one loop: waits for the keyboard, the work in flight, deadlines and signal flags, turns
// each into an event for the update step, and writes a frame when the model changed.
#include "app/event_loop.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <poll.h>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "nav/model.hpp"
#include "term/frame_writer.hpp"
#include "term/hand_over.hpp"
#include "term/key_queue.hpp"
#include "term/terminal.hpp"
#include "ui/frame.hpp"
#include "ui/update.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Ctrl-L: the screen is painted again whole, for one that another program wrote over. It
// changes nothing else, so the model never sees it.
constexpr unsigned char repaint_key = 0x0c;

// The keyboard's side of the loop: the queue, and when bytes were last read, from which a key
// still unfinished at its end is taken as it is (an ESC followed by nothing is the Esc key) and
// a terminal's answer still unfinished is dropped.
struct Input {
    int fd;
    KeyQueue queue;
    Clock::time_point last_read = Clock::time_point::min();
    bool held = false; // keys wait while a page loads
    // The terminal was asked about its background and has not yet sent the device attributes
    // that close its answers.
    bool answer_due = false;

    [[nodiscard]] Waited waited(Clock::time_point now) const {
        if (last_read == Clock::time_point::min() ||
            now - last_read >= milliseconds(answer_wait_ms)) {
            return Waited::answer;
        }
        return now - last_read >= milliseconds(escape_wait_ms) ? Waited::escape : Waited::no;
    }

    // When the next wait runs out for what is unfinished at the queue's end.
    [[nodiscard]] Clock::time_point settle_at(Clock::time_point now) const {
        const Clock::time_point escape = last_read + milliseconds(escape_wait_ms);
        if (answer_unfinished(queue, held) && now >= escape) {
            return last_read + milliseconds(answer_wait_ms);
        }
        return escape;
    }
};

// The wait's time-out: none with nothing due, so an idle session sleeps until something comes.
timespec time_until(Clock::time_point when, Clock::time_point now) {
    if (when <= now) {
        return {};
    }
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(when - now).count();
    constexpr long per_second = 1'000'000'000;
    return {.tv_sec = static_cast<time_t>(left / per_second), .tv_nsec = left % per_second};
}

struct Loop {
    Model* model;
    Input input;
    // The signal mask inside the wait: the resize signal, blocked everywhere else, can arrive
    // only there, so its flag is never raised between the look at it and the wait.
    sigset_t wait_mask = signals_in_wait();
    bool dirty = false;
    // What the last update said comes next; the page asked for before the loop began first.
    Outcome next{.fetch = true};
    FrameWriter writer{}; // what the terminal shows: the last frame written
    bool repaint = false; // the next frame clears the screen and is written whole
    std::string bytes{};  // the frame's bytes, kept for the next frame's
    Clock::time_point started = Clock::now(); // the question about the background goes out

    void apply(const Event& event) {
        next = update(model, event, Clock::now());
        dirty = next.redraw || dirty;
        repaint = next.repaint || repaint;
        if (next.suspend) {
            suspend();
        }
        if (next.hand_over && model->hand_over) {
            hand_over();
        }
    }

    // Ctrl-Z: with a shell's job control, the terminal given back and the run stopped; on `fg`
    // the whole screen again, at the window's size then. A page arriving meanwhile waits in the
    // socket (or fails by its bounds).
    void suspend() {
        if (model->plain_output || !suspend_to_shell()) {
            return;
        }
        resumed();
    }

    void hand_over() {
        const ProgramEnd end = run_in_terminal(*model->hand_over);
        Event back{.kind = EventKind::handed_back};
        back.program = end;
        apply(back);
        resumed();
    }

    void resumed() {
        winsize window = model->window;
        query_window_size(&window);
        repaint = true;
        apply({.kind = EventKind::resumed, .window = window});
    }

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

    void answered(const DecodedKey& key) {
        if (key.key == Key::answered) {
            input.answer_due = false;
        }
        apply({.kind = EventKind::answer, .key = key});
    }

    // The terminal's answers to the question asked at the start would land on the shell's
    // command line if they came after the run: they are read and dropped first, waited for no
    // longer than an answer is from the question, so a terminal that never answers costs a
    // run that ends at once no more than that, and a longer one nothing.
    void await_answers() {
        const Clock::time_point until = started + milliseconds(answer_wait_ms);
        while (input.answer_due && input.fd >= 0 && !input.queue.ended) {
            for (DecodedKey key = take_key(&input.queue, Waited::no); key.length > 0;
                 key = take_key(&input.queue, Waited::no)) {
                if (key.key == Key::answered) {
                    input.answer_due = false;
                    return;
                }
            }
            const Clock::time_point now = Clock::now();
            pollfd keyboard{input.fd, POLLIN, 0};
            const timespec left = time_until(until, now);
            if (now >= until || ppoll(&keyboard, 1, &left, &wait_mask) <= 0) {
                return;
            }
            std::ignore = read_keyboard(&input.queue, input.fd);
        }
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
        if (next.fetch) {
            apply({.kind = EventKind::fetch});
            return true;
        }
        if (next.after_frame) {
            draw();
            apply({.kind = EventKind::idle});
            return true;
        }
        KeyQueue& queue = input.queue;
        const bool held = next.hold_keys;
        if (held && !input.held) {
            // Keys queued when a page is asked for were typed after the key that asked for it
            // (a burst such as Enter then Esc), so they are watched too.
            hold_keys(&queue);
        }
        input.held = held;
        const Waited waited = input.waited(Clock::now());
        if (held) {
            const DecodedKey key = take_held_key(&queue, waited);
            if (key.length == 0) {
                return false;
            }
            if (is_answer(key)) {
                answered(key);
            } else if (cancels(key)) {
                apply({.kind = EventKind::cancel});
            } else {
                apply({.kind = EventKind::key, .key = key});
            }
            return true;
        }
        if (const DecodedKey key = take_key(&queue, waited); key.length > 0) {
            if (is_answer(key)) {
                // Never a key, whenever it comes.
                answered(key);
                return true;
            }
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
            deadline = std::min(deadline, input.settle_at(Clock::now()));
        }
        const bool forever = deadline == Clock::time_point::max();
        const timespec left = time_until(deadline, Clock::now());
        const int ready =
            ppoll(watched.data(), watched.size(), forever ? nullptr : &left, &wait_mask);
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
                    input.last_read = now;
                }
                if (got.cancelled && next.hold_keys) {
                    apply({.kind = EventKind::cancel});
                }
            }
            work = work.subspan(1);
        }
        // watched holds the waits' descriptors in their order, after the keyboard.
        for (std::size_t i = 0; i < work.size(); ++i) {
            if (ready > 0 && work[i].revents != 0) {
                apply({.kind = EventKind::ready,
                       .fd = work[i].fd,
                       .revents = work[i].revents,
                       .transfer = waits.fds[i].owner});
            }
        }
        if (now >= waits.deadline) {
            apply({.kind = EventKind::time});
        }
    }
};

} // namespace

void run_event_loop(Model* model, int input_fd) {
    Loop loop{model, {input_fd, {}}};
    loop.input.answer_due = model->looks.asking;
    while (!model->end) {
        // Every key read ends with a frame, even one that changes nothing.
        while (!model->end && loop.take_ready_event()) {
            loop.draw();
        }
        if (model->end) {
            break;
        }
        loop.draw();
        loop.wait();
    }
    loop.await_answers();
    std::fflush(stdout);
}
