// The driver loop: fetch the page asked for, classify the current page and hand it to a view.
#include "nav/browse_loop.hpp"

#include <tuple>
#include <utility>

#include "app/fatal.hpp"
#include "gopher/menu.hpp"
#include "nav/fetch.hpp"
#include "nav/history.hpp"
#include "nav/shown_page.hpp"
#include "term/terminal.hpp"
#include "ui/menu_view.hpp"
#include "ui/text_view.hpp"

namespace {

// Fetches the page asked for. True when it arrived; after a failure or a cancel the history is
// as it was and the message waits for the next frame. The first page has nothing to go back
// to: its failure ends the run as it always has.
bool fetch_requested(Browser* browser, ShownPage* shown) {
    const Page* page = page_to_fetch(browser);
    FetchResult result = fetch_address(browser, shown, page->host, page->port, page->selector);
    if (result.status == FetchStatus::done) {
        accept_fetched(browser, std::move(result.content));
        return true;
    }
    if (browser->current == nullptr) {
        fatal_after(result.notes, result.message);
    }
    drop_fetch(browser);
    browser->message = result.message;
    return false;
}

} // namespace

void browse_loop(Browser* browser) {
    ShownPage shown;
    while (browser->running) {
        std::ignore = take_pending_resize(&browser->winsize);
        const bool kept = page_to_fetch(browser) != nullptr && !fetch_requested(browser, &shown);
        if (browser->current == nullptr) {
            break;
        }
        const int menu = page_is_menu(browser->current);
        // The page the user was on comes back exactly as it was left, selection included.
        const int selected = browser->selected;
        // The text view counts the lines itself before it first needs the count; counting here
        // as well would scan a long text once more before its first screen.
        prepare_shown_page(browser, &shown, menu);
        if (kept) {
            browser->selected = selected;
        }
        const int more = menu ? menu_view_loop(browser, &shown) : text_view_loop(browser, &shown);
        if (!more) {
            break;
        }
    }
    browser->running = 0;
}
