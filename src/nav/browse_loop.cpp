// The driver loop: fetch the current page when needed, classify it and hand it to a view.
#include "nav/browse_loop.hpp"

#include <tuple>

#include "gopher/menu.hpp"
#include "gopher/transaction.hpp"
#include "nav/shown_page.hpp"
#include "term/terminal.hpp"
#include "ui/menu_view.hpp"
#include "ui/text_view.hpp"

void browse_loop(Browser* browser) {
    ShownPage shown;
    while (browser->running) {
        std::ignore = take_pending_resize(&browser->winsize);
        if (browser->current == nullptr) {
            break;
        }
        if (!browser->current->content) {
            fetch_page(browser);
            stamp_fetch(browser);
        }
        const int menu = page_is_menu(browser->current);
        // The text view counts the lines itself before it first needs the count; counting here
        // as well would scan a long text once more before its first screen.
        prepare_shown_page(browser, &shown, menu);
        const int more = menu ? menu_view_loop(browser, &shown) : text_view_loop(browser, &shown);
        if (!more) {
            break;
        }
    }
    browser->running = 0;
}
