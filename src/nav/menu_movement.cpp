// Where the movement keys take a menu: every row within reach, and the marker on screen
// whenever a link is.
#include "nav/menu_movement.hpp"

#include <algorithm>

namespace {

int row_count(const MenuLayout& layout) {
    return static_cast<int>(layout.rows.size());
}

bool is_link(const MenuLayout& layout, int row) {
    return layout.rows[static_cast<std::size_t>(row)].selectable != 0;
}

// The top that shows the end of the menu on a full screen.
int last_top(const MenuLayout& layout, int rows) {
    return std::max(0, row_count(layout) - rows);
}

bool on_screen(int row, int top, int rows) {
    return row >= top && row < top + rows;
}

// The first link in rows from..to (both included), or -1.
int first_link_in(const MenuLayout& layout, int from, int to) {
    from = std::max(from, layout.first_link);
    to = std::min(to, layout.last_link);
    for (int row = from; row <= to; ++row) {
        if (is_link(layout, row)) {
            return row;
        }
    }
    return -1;
}

// The last link in rows from..to (both included), or -1.
int last_link_in(const MenuLayout& layout, int from, int to) {
    from = std::max(from, layout.first_link);
    to = std::min(to, layout.last_link);
    for (int row = to; row >= from; --row) {
        if (is_link(layout, row)) {
            return row;
        }
    }
    return -1;
}

// A selected link off screen gives way to the link on screen nearest to it, if any.
MenuPlace mark_on_screen(const MenuLayout& layout, MenuPlace place, int rows) {
    if (place.selected < 0 || on_screen(place.selected, place.top, rows)) {
        return place;
    }
    const int last_row = place.top + rows - 1;
    const int nearest = place.selected < place.top ? first_link_in(layout, place.top, last_row)
                                                   : last_link_in(layout, place.top, last_row);
    if (nearest >= 0) {
        place.selected = nearest;
    }
    return place;
}

// Scrolls by delta rows, bounded at the ends.
MenuPlace scroll(const MenuLayout& layout, MenuPlace place, int delta, int rows) {
    place.top = std::clamp(place.top + delta, 0, last_top(layout, rows));
    return mark_on_screen(layout, place, rows);
}

MenuPlace down(const MenuLayout& layout, MenuPlace place, int rows) {
    const int s = place.selected;
    const bool shown = on_screen(s, place.top, rows);
    // The next link, if the marker can reach it without passing a screen of rows: on screen,
    // or within a screen below a link on screen, which is then scrolled onto the last row.
    const int next = shown
                         ? first_link_in(layout, s + 1, s + rows)
                         : first_link_in(layout, std::max(s + 1, place.top), place.top + rows - 1);
    if (next >= 0) {
        return {std::max(place.top, next - rows + 1), next};
    }
    if (place.top < last_top(layout, rows)) {
        return scroll(layout, place, 1, rows);
    }
    // The end is on screen: back to the first link, with as much above it as fits.
    return {std::max(0, layout.first_link - rows + 1), layout.first_link};
}

MenuPlace up(const MenuLayout& layout, MenuPlace place, int rows) {
    const int s = place.selected;
    const bool shown = on_screen(s, place.top, rows);
    const int previous =
        shown ? last_link_in(layout, s - rows, s - 1)
              : last_link_in(layout, place.top, std::min(s - 1, place.top + rows - 1));
    if (previous >= 0) {
        return {std::min(place.top, previous), previous};
    }
    if (place.top > 0) {
        return scroll(layout, place, -1, rows);
    }
    return {std::min(last_top(layout, rows), layout.last_link), layout.last_link};
}

// The link a page of links from the selected one on screen in the direction step (+1 down, -1
// up), or the farthest link that way, as long as the rows passed show no run without links
// longer than a screen, or the link lies within a screen beyond the screen. -1 when there is no
// such link.
int page_link(const MenuLayout& layout, MenuPlace place, int rows, int step) {
    const int reach = step > 0 ? place.top + 2 * rows - 1 : place.top - rows;
    const int end = step > 0 ? layout.last_link : layout.first_link;
    int found = place.selected;
    int links = 0;
    int run = 0;
    bool long_run = false;
    for (int row = place.selected + step; (row - end) * step <= 0 && links < rows; row += step) {
        if (is_link(layout, row)) {
            long_run = long_run || run >= rows;
            run = 0;
            found = row;
            ++links;
        } else {
            ++run;
        }
        // A link beyond both bounds can only lie past a long run.
        if ((row - reach) * step > 0 && (long_run || run >= rows)) {
            return -1;
        }
    }
    return found == place.selected ? -1 : found;
}

MenuPlace page_down(const MenuLayout& layout, MenuPlace place, int rows) {
    if (on_screen(place.selected, place.top, rows)) {
        if (const int link = page_link(layout, place, rows, 1); link >= 0) {
            return {std::max(place.top, link - rows + 1), link};
        }
    }
    return scroll(layout, place, rows, rows);
}

MenuPlace page_up(const MenuLayout& layout, MenuPlace place, int rows) {
    if (on_screen(place.selected, place.top, rows)) {
        if (const int link = page_link(layout, place, rows, -1); link >= 0) {
            return {std::min(place.top, link), link};
        }
    }
    return scroll(layout, place, -rows, rows);
}

// Without links the menu scrolls like a text.
MenuPlace scroll_like_text(const MenuLayout& layout, MenuPlace place, int rows, Key key) {
    const int bottom = last_top(layout, rows);
    switch (key) {
    case Key::up:
        place.top -= 1;
        break;
    case Key::down:
        place.top += 1;
        break;
    case Key::page_up:
        place.top -= rows;
        break;
    case Key::page_down:
        place.top += rows;
        break;
    case Key::home:
        place.top = 0;
        break;
    case Key::end:
        place.top = bottom;
        break;
    default:
        return place;
    }
    place.top = std::clamp(place.top, 0, bottom);
    return place;
}

// No content rows: the selection moves between the links, the top following it.
MenuPlace move_unseen(const MenuLayout& layout, MenuPlace place, Key key) {
    int selected = place.selected;
    switch (key) {
    case Key::up:
        selected = last_link_in(layout, 0, selected - 1);
        selected = selected < 0 ? layout.last_link : selected;
        break;
    case Key::down:
        selected = first_link_in(layout, selected + 1, layout.last_link);
        selected = selected < 0 ? layout.first_link : selected;
        break;
    case Key::home:
        selected = layout.first_link;
        break;
    case Key::end:
        selected = layout.last_link;
        break;
    default:
        return place;
    }
    return {selected, selected};
}

} // namespace

MenuLayout menu_layout(std::span<const MenuItem> rows) {
    MenuLayout layout{rows, -1, -1};
    const int count = row_count(layout);
    for (int row = 0; row < count && layout.first_link < 0; ++row) {
        if (is_link(layout, row)) {
            layout.first_link = row;
        }
    }
    for (int row = count - 1; row >= 0 && layout.last_link < 0; --row) {
        if (is_link(layout, row)) {
            layout.last_link = row;
        }
    }
    return layout;
}

MenuPlace move_in_menu(const MenuLayout& layout, MenuPlace place, int rows, Key key) {
    if (layout.first_link < 0) {
        return scroll_like_text(layout, place, rows, key);
    }
    if (place.selected < 0 || place.selected >= row_count(layout) ||
        !is_link(layout, place.selected)) {
        place.selected = layout.first_link;
    }
    if (rows <= 0) {
        return move_unseen(layout, place, key);
    }
    switch (key) {
    case Key::up:
        return up(layout, place, rows);
    case Key::down:
        return down(layout, place, rows);
    case Key::page_up:
        return page_up(layout, place, rows);
    case Key::page_down:
        return page_down(layout, place, rows);
    case Key::home:
        return {0, layout.first_link};
    case Key::end:
        return {last_top(layout, rows), layout.last_link};
    default:
        return place;
    }
}

bool marker_on_screen(MenuPlace place, int rows) {
    return place.selected >= 0 && on_screen(place.selected, place.top, rows);
}

MenuPlace resize_menu_place(const MenuLayout& layout, MenuPlace place, int old_rows, int rows) {
    if (rows <= 0) {
        return place;
    }
    if (marker_on_screen(place, old_rows) && !marker_on_screen(place, rows)) {
        place.top = place.selected - rows + 1;
    }
    place.top = std::clamp(place.top, 0, last_top(layout, rows));
    return mark_on_screen(layout, place, rows);
}

MenuPlace bound_menu_place(const MenuLayout& layout, int ordinal, int top, int rows) {
    MenuPlace place{std::clamp(top, 0, last_top(layout, std::max(rows, 1))), -1};
    if (layout.first_link < 0) {
        return place;
    }
    const int links = layout.rows[static_cast<std::size_t>(layout.last_link)].ordinal;
    const int wanted = std::clamp(ordinal, 1, links);
    for (int row = layout.first_link, seen = 0; row <= layout.last_link; ++row) {
        if (is_link(layout, row) && ++seen == wanted) {
            place.selected = row;
            break;
        }
    }
    return rows > 0 ? mark_on_screen(layout, place, rows) : place;
}
