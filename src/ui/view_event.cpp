// The one place where a view learns what happens next: every key it reacts to comes in here.
#include "ui/view_event.hpp"

#include "nav/browser.hpp"
#include "term/terminal.hpp"
#include "ui/keys.hpp"

ViewEvent next_view_event(Browser* browser) {
    for (;;) {
        if (!browser->running) {
            return {ViewEventKind::ended, 0};
        }
        if (take_pending_resize(&browser->winsize)) {
            return {ViewEventKind::resize, 0};
        }
        const KeyRead key = read_key();
        switch (key.kind) {
        case KeyKind::closed:
            browser->running = 0;
            return {ViewEventKind::ended, 0};
        case KeyKind::movement:
            return {ViewEventKind::movement, key.byte};
        case KeyKind::single:
            return {ViewEventKind::command, key.byte};
        case KeyKind::none:
        case KeyKind::dropped:
            break;
        }
    }
}
