// The driver loop: fetch the current page when needed, classify it and hand it to a view.
#include "nav/browse_loop.hpp"

#include <tuple>

#include "gopher/menu.hpp"
#include "nav/fetch.hpp"
#include "nav/prepared_menu.hpp"
#include "term/terminal.hpp"
#include "ui/menu_view.hpp"
#include "ui/text_view.hpp"

void browse_loop(Browser* browser) {
    // What was worked out for the content shown last, dropped whenever a fetch may have put
    // new bytes where an old content was.
    PreparedMenu prepared;
    TextMemo text_memo;
    while (browser->running) {
        std::ignore = take_pending_resize(&browser->winsize);
        if (browser->current == nullptr) {
            break;
        }
        if (!browser->current->content) {
            fetch_page(browser);
            forget_prepared_menu(&prepared);
            text_memo = TextMemo{};
        }
        const Page* page = browser->current;
        int more = 0;
        if (page_is_menu(page)) {
            prepare_menu(browser, &prepared);
            more = menu_view_loop(browser);
        } else {
            // The view counts the lines itself before it first needs the count; counting here
            // as well would scan a long text once more before its first screen.
            more = text_view_loop(browser, &text_memo);
        }
        if (!more) {
            break;
        }
    }
    browser->running = 0;
}
