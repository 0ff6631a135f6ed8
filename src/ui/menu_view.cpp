// The menu view: coloured rows, the selection marker, and the menu's keys.
#include "ui/menu_view.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gopher/item_type.hpp"
#include "nav/model.hpp"
#include "term/frame.hpp"
#include "term/width.hpp"
#include "ui/find_view.hpp"
#include "ui/geometry.hpp"
#include "ui/header.hpp"
#include "ui/looks.hpp"

namespace {

const char* items_content(const Model& model) {
    const Page* page = model.history.current;
    return page != nullptr && page->content ? page->content.get() : "";
}

} // namespace

void draw_menu(const Model& model, Frame* frame) {
    start_view_frame(model, frame);
    const ShownPage& shown = model.shown;
    const int rows = content_rows(model.window.ws_row);
    const int top = shown_menu_top(shown);
    const int count = item_count(shown.items);
    // A row runs to the window's last column, and no further: past it the terminal would wrap.
    const int cols = model.window.ws_col;
    const int room = cols - content_column(cols) + 1;
    if (rows > 0 && cols > 0 && top >= 0 && top < count) {
        const char* content = items_content(model);
        const int selected = shown_selected_ordinal(shown);
        const bool marked = find_marks_shown(model);
        // In the item a search landed on, its first match is the one it landed on.
        const std::optional<long> landed_item = item_match_shown(model);
        const Palette& palette = looks_palette(model.looks);
        const bool labels = model.looks.labels;
        std::string row;
        // Only the rows on screen are visited, however long the menu.
        const int last = count - top < rows ? count - top : rows;
        for (int k = 0; k < last; ++k) {
            const MenuItem& item =
                shown.items.items[static_cast<std::size_t>(top) + static_cast<std::size_t>(k)];
            const int highlight = item.selectable && item.ordinal == selected;
            const ScreenPlace place = content_row_place(model, k);
            const std::string_view marker = highlight ? "->" : "  ";
            row.assign(marker.substr(0, room < 2 ? 1 : 2));
            int left = room - 2;
            if (labels && left > 0) {
                // The label's blanks come from our table: no filter needed, cut like the rest.
                const std::string_view label = item_label(item.type);
                const int shown = left < item_label_width ? left : item_label_width;
                row.append(label.substr(0, static_cast<std::size_t>(shown)));
                left -= shown;
            }
            const std::string_view display = menu_item_display(item, content);
            const LineCoding coding = line_coding(display);
            const std::vector<MatchSpan> matches =
                marked ? find_in_line(display, model.find.needle, coding)
                       : std::vector<MatchSpan>{};
            const bool landed = static_cast<long>(top) + k == landed_item;
            append_row(row, {display, 0, display.size(), 0, coding}, 0, left,
                       {matches,
                        {&mark_on, 1},
                        {&mark_off, 1},
                        landed ? 0 : std::string_view::npos,
                        {&mark_current, 1}});
            put_text(frame, place.row, place.col, row,
                     highlight ? palette.selected : item_look(palette, item.type));
        }
    }
}
