// The one place where a view learns what happens next: every key it reacts to comes in here.
#include "ui/view_event.hpp"

#include <unistd.h>

#include "nav/browser.hpp"
#include "term/terminal.hpp"
#include "ui/key_reader.hpp"
#include "ui/status_line.hpp"

ViewEvent next_view_event(Browser* browser) {
    // A failed fetch's words stay over every frame of the page until the next key.
    if (browser->message != nullptr) {
        draw_error_message(browser->winsize, browser->message);
    }
    for (;;) {
        if (!browser->running) {
            return {ViewEventKind::ended, {}};
        }
        if (take_pending_resize(&browser->winsize)) {
            return {ViewEventKind::resize, {}};
        }
        const Input input = read_input(&browser->keys, STDIN_FILENO);
        switch (input.kind) {
        case InputKind::key:
            browser->message = nullptr;
            return {ViewEventKind::key, input.key};
        case InputKind::ended:
            browser->running = 0;
            return {ViewEventKind::ended, {}};
        case InputKind::tick:
            break;
        }
    }
}
