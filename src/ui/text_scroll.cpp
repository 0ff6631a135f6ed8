// Where the text on screen starts, moved by the update step: by rows, by screens, sideways.
#include "ui/text_scroll.hpp"

#include "nav/shown_page.hpp"
#include "term/width.hpp"

void set_text_top(ShownPage* shown, const TextRows& rows, RowPlace place) {
    shown->top = {static_cast<std::size_t>(place.line - rows.text.data()), place.line_index,
                  place.row, true};
}

RowPlace scroll_text(const TextRows& rows, RowPlace top, Key key, long visible, long line_count) {
    switch (key) {
    case Key::up:
        move_rows_up(rows, &top, 1);
        break;
    case Key::down:
        move_rows_down(rows, &top, 1);
        break;
    case Key::page_up:
        move_rows_up(rows, &top, visible);
        break;
    case Key::page_down:
        move_rows_down(rows, &top, visible);
        break;
    case Key::home:
        return first_place(rows);
    case Key::end:
        return last_screen(rows, visible, line_count);
    default:
        break;
    }
    return bounded_place(rows, top, visible);
}

long scroll_sideways(const TextRows& rows, RowPlace top, long left, Key key, long visible) {
    const long half = rows.room / 2 > 0 ? rows.room / 2 : 1;
    if (key == Key::left) {
        return left > half ? left - half : 0;
    }
    if (key != Key::right || rows.text.empty()) {
        return left;
    }
    long longest = 0;
    RowCursor cursor = row_cursor(rows, top);
    for (long k = 0; k < visible; ++k) {
        const long width = shown_width(cursor.line, TabShow::to_tab_stop, cursor.coding);
        longest = width > longest ? width : longest;
        if (!next_row(rows, &cursor)) {
            break;
        }
    }
    return left + rows.room < longest ? left + half : left;
}
