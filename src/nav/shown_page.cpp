// The page on screen: where the user is in it, and what is worked out from its content.
#include "nav/shown_page.hpp"

#include <climits>

#include "gopher/menu.hpp"

void prepare_shown_page(ShownPage* shown, const Page* page, int first_rows, bool growing) {
    const ShownKey key{page, page != nullptr ? page->fetch : 0};
    if (!(shown->key == key)) {
        *shown = ShownPage{};
        shown->key = key;
        if (page != nullptr) {
            shown->kept_selected = page->selected > 0 ? page->selected : 1;
            shown->kept_top = page->menu_top;
            shown->top = {0, page->text_top, page->text_row, false};
            // The program's own pages are menus whatever their first line holds.
            shown->menu = page->kind != PageKind::gopher ||
                          content_is_menu(page->address.type, page->content.get());
            if (shown->menu && page->content) {
                const long wanted = static_cast<long>(shown->kept_top) + first_rows;
                start_menu_items(&shown->items, &shown->build, page->content.get(),
                                 page->address.host.c_str(), page->address.port,
                                 wanted < INT_MAX ? static_cast<int>(wanted) : INT_MAX, growing);
            }
        }
    }
}

void remember_place(const ShownPage& shown, Page* page) {
    if (page == nullptr || !(shown.key.page == page)) {
        return;
    }
    page->selected = shown_selected_ordinal(shown);
    page->menu_top = shown_menu_top(shown);
    page->text_top = static_cast<int>(shown.top.line);
    page->text_row = shown.top.row;
}

int shown_menu_top(const ShownPage& shown) {
    return shown.placed ? shown.place.top : shown.kept_top;
}

int shown_selected_ordinal(const ShownPage& shown) {
    if (!shown.placed) {
        return shown.kept_selected;
    }
    if (shown.place.selected < 0) {
        return shown.kept_selected; // no link: nothing moved it
    }
    return shown.layout.rows[static_cast<std::size_t>(shown.place.selected)].ordinal;
}
