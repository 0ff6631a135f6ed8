// The one place where a view learns what happens next: every key it reacts to comes in here.
#include "ui/view_event.hpp"

#include <unistd.h>

#include "nav/browser.hpp"
#include "term/terminal.hpp"
#include "ui/key_reader.hpp"
#include "ui/keys.hpp"
#include "ui/status_line.hpp"

namespace {

// A key left in the queue (typed while a page loaded) as a view takes it; ended for a tick or
// a key no view knows.
ViewEvent queued_event(const Input& input) {
    if (input.kind != InputKind::key) {
        return {ViewEventKind::ended, 0};
    }
    switch (input.key.key) {
    case Key::up:
        return {ViewEventKind::movement, 'A'};
    case Key::down:
        return {ViewEventKind::movement, 'B'};
    case Key::page_up:
        return {ViewEventKind::movement, '5'};
    case Key::page_down:
        return {ViewEventKind::movement, '6'};
    case Key::back:
    case Key::byte:
        return {ViewEventKind::command, input.key.byte};
    default:
        return {ViewEventKind::ended, 0};
    }
}

} // namespace

ViewEvent next_view_event(Browser* browser) {
    // A failed fetch's words stay over every frame of the page until the next key.
    if (browser->message != nullptr) {
        draw_error_message(browser->winsize, browser->message);
    }
    for (;;) {
        if (!browser->running) {
            return {ViewEventKind::ended, 0};
        }
        if (take_pending_resize(&browser->winsize)) {
            return {ViewEventKind::resize, 0};
        }
        // Keys typed while a page loaded come first, in order.
        if (browser->keys.length > 0 || browser->keys.ended) {
            const Input input = read_input(&browser->keys, STDIN_FILENO);
            const ViewEvent event = queued_event(input);
            if (input.kind == InputKind::ended) {
                browser->running = 0;
                return event;
            }
            if (event.kind != ViewEventKind::ended) {
                browser->message = nullptr;
                return event;
            }
            continue;
        }
        const KeyRead key = read_key();
        switch (key.kind) {
        case KeyKind::closed:
            browser->running = 0;
            return {ViewEventKind::ended, 0};
        case KeyKind::movement:
            browser->message = nullptr;
            return {ViewEventKind::movement, key.byte};
        case KeyKind::single:
            browser->message = nullptr;
            return {ViewEventKind::command, key.byte};
        case KeyKind::none:
        case KeyKind::dropped:
            break;
        }
    }
}
