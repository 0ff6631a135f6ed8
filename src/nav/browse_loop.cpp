// The driver loop: fetch the current page when needed, classify it and hand it to a view.
#include "nav/browse_loop.hpp"

#include "gopher/menu.hpp"
#include "gopher/transaction.hpp"
#include "nav/line_count.hpp"
#include "term/terminal.hpp"
#include "ui/menu_view.hpp"
#include "ui/text_view.hpp"

void browse_loop(Browser* browser) {
    while (browser->running) {
        if (resize_pending) {
            query_window_size(&browser->winsize);
            resize_pending = 0;
        }
        if (browser->current == nullptr) {
            break;
        }
        if (!browser->current->content) {
            fetch_page(browser);
        }
        const Page* page = browser->current;
        int more = 0;
        if (page_is_menu(page)) {
            build_menu_items(browser, page->content.get());
            more = menu_view_loop(browser);
        } else {
            count_lines(browser, page->content.get());
            more = text_view_loop(browser);
        }
        if (!more) {
            break;
        }
    }
    browser->running = 0;
}
