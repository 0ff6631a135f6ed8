// The frame of the page on screen, for whoever draws over it (a prompt, a fetch's progress) and
// must redraw it.
#include "ui/page_frame.hpp"

#include <cstdio>

#include "gopher/menu.hpp"
#include "nav/browser.hpp"
#include "term/sequences.hpp"
#include "ui/menu_view.hpp"
#include "ui/text_view.hpp"

void draw_page_frame(Browser* browser, ShownPage* shown) {
    if (browser->current == nullptr || !browser->current->content) {
        // The first page, still loading: nothing to show yet.
        std::fputs(seq::clear_screen, stdout);
        std::fflush(stdout);
    } else if (page_is_menu(browser->current)) {
        draw_menu_fitted(browser, shown);
    } else {
        bound_and_draw(browser, shown);
    }
}
