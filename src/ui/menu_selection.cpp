// Colours of menu rows and the movement of the selection.
#include "ui/menu_selection.hpp"

#include <cstdlib>

#include "nav/shown_page.hpp"
#include "term/sequences.hpp"
#include "ui/geometry.hpp"

const char* type_color(char type, int highlight) {
    if (highlight) {
        return seq::selection;
    }
    switch (type) {
    case '0':
        return seq::bold_yellow;
    case '1':
        return seq::bold_green;
    case '2':
    case 'h':
        return seq::bold_cyan;
    case '3':
        return seq::bold_red;
    case '4':
    case '5':
    case '6':
    case '9':
    case 'g':
        return seq::bold_magenta;
    case '7':
        return seq::bold_blue;
    case '8':
        return seq::bold_white;
    case 'i':
        return seq::grey;
    default:
        return seq::bold_bright_red;
    }
}

namespace {

// How far from the end of the menu its last selectable item is looked for, for Up on the first.
constexpr int end_rows = 64;

// Index in the array of the selectable item with the given ordinal, or -1.
// The selection moves a few items at a time, so a search starts where the last one ended
// (search_from) rather than at the top of a long menu, and leaves its result there.
int index_of_selectable(const Browser* browser, int* search_from, int ordinal) {
    const MenuItem* items = browser->items.get();
    const int count = browser->item_count;
    // The walk counts selectable items from the top, or from a selectable item whose ordinal
    // is nearer: numbered in array order when the array was built, an ordinal is the count of
    // selectable items up to its item. Both guesses are checked before they are trusted.
    int from = -1;
    int seen = 0;
    const auto consider = [&](int i) {
        if (i >= 0 && i < count && items[i].selectable && items[i].ordinal > 0 &&
            std::labs(static_cast<long>(items[i].ordinal) - ordinal) <
                std::labs(static_cast<long>(seen) - ordinal)) {
            from = i;
            seen = items[i].ordinal;
        }
    };
    consider(*search_from);
    for (int i = count - 1; i >= 0 && i >= count - end_rows; --i) {
        if (items[i].selectable) {
            consider(i);
            break;
        }
    }

    int found = -1;
    if (ordinal < seen) {
        // Upwards the count steps down at every selectable item passed.
        for (int i = from; i >= 0 && found < 0; --i) {
            if (items[i].selectable && seen-- == ordinal) {
                found = i;
            }
        }
    } else if (from >= 0 && seen == ordinal) {
        found = from;
    } else {
        for (int i = from + 1; i < count && found < 0; ++i) {
            if (items[i].selectable && ++seen == ordinal) {
                found = i;
            }
        }
    }
    if (found >= 0) {
        *search_from = found;
    }
    return found;
}

} // namespace

void move_selection(Browser* browser, ShownPage* shown, unsigned char key) {
    const int page = menu_page_size(browser->winsize.ws_row);
    const int count = browser->selectable_count;
    if (count == 0) {
        return;
    }
    int selected = browser->selected;
    switch (key) {
    case '5':
        selected = selected - page < 1 ? 1 : selected - page;
        break;
    case '6':
        selected = selected > count - page ? count : selected + page;
        break;
    case 'A':
        selected = selected >= 2 ? selected - 1 : count;
        break;
    case 'B':
        selected = selected < count ? selected + 1 : 1;
        break;
    default:
        break;
    }
    browser->selected = selected;

    const int index = index_of_selectable(browser, &shown->search_from, selected);
    if (index < 0) {
        return;
    }
    // Scroll just enough to bring the selected item onto the content rows.
    if (index < browser->menu_top) {
        browser->menu_top = index;
    } else if (index >= browser->menu_top + page) {
        browser->menu_top = index - page + 1;
    }
}
