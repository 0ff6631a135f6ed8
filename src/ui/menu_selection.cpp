// Colours of menu rows and the movement of the selection.
#include "ui/menu_selection.hpp"

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

// Index in the array of the selectable item with the given ordinal, or -1.
int index_of_selectable(const Browser* browser, int ordinal) {
    int seen = 0;
    for (int i = 0; i < browser->item_count; ++i) {
        if (browser->items[i].selectable && ++seen == ordinal) {
            return i;
        }
    }
    return -1;
}

} // namespace

void move_selection(Browser* browser, unsigned char key) {
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

    const int index = index_of_selectable(browser, selected);
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
