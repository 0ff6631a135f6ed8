// Finding text in the page on screen: a search from the find prompt, the next match and the one
// before, looked for in steps between keys when the text is long.
#include "ui/find_work.hpp"

#include <chrono>
#include <optional>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "gopher/menu_item.hpp"
#include "nav/model.hpp"
#include "term/wrap.hpp"
#include "ui/geometry.hpp"
#include "ui/page_on_screen.hpp"
#include "ui/text_lines.hpp"
#include "ui/text_scroll.hpp"
#include "ui/text_view.hpp"
#include "ui/waits.hpp"

namespace {

// Bytes looked at per turn of the loop: a step takes about a millisecond, so keys are answered
// at once and a 100 MB text is searched well within a second.
constexpr std::size_t step_bytes = std::size_t{1} << 20;

// Which rows of the line a search starts in may hold the match it looks for.
enum class Rows { from, after, before };

bool row_allowed(long row, long origin, Rows which) {
    switch (which) {
    case Rows::from:
        return row >= origin;
    case Rows::after:
        return row > origin;
    case Rows::before:
        return row < origin;
    }
    return false;
}

// The row of each match of the line, in order: one walk over the line's rows for all of them.
std::vector<long> rows_of_matches(const TextRows& rows, std::string_view line,
                                  const std::vector<MatchSpan>& spans) {
    std::vector<long> out(spans.size(), 0);
    if (!rows.wrap) {
        return out;
    }
    const LineCoding coding = line_coding(line);
    long row = 0;
    WrappedRow next = next_wrapped_row(line, 0, 0, rows.room, coding);
    for (std::size_t k = 0; k < spans.size(); ++k) {
        while (next.next <= spans[k].from && next.next < line.size()) {
            next = next_wrapped_row(line, next.next, next.next_col, rows.room, coding);
            ++row;
        }
        out[k] = row;
    }
    return out;
}

// "Search wrapped." on the bottom row when the search went past an end.
void note_wrapped(Message* message, bool wrapped) {
    if (wrapped) {
        *message = note_message("Search wrapped.");
    }
}

// The first column shown so that the match is on screen while lines are cut: left as it is when
// the match is in view, else a multiple of half the room.
long left_showing(const TextRows& rows, std::string_view line, MatchSpan span, long left) {
    const LineCoding coding = line_coding(line);
    const long from = shown_width(line.substr(0, span.from), TabShow::to_tab_stop, coding);
    const long to = shown_width(line.substr(0, span.to), TabShow::to_tab_stop, coding);
    if (from >= left && to <= left + rows.room) {
        return left;
    }
    if (to <= rows.room) {
        return 0;
    }
    const long half = rows.room / 2 > 0 ? rows.room / 2 : 1;
    return from / half * half;
}

// The screen brought to the match in the line at `line`.
void land_in_text(Model* model, const TextRows& rows, RowPlace line, std::string_view bytes,
                  MatchSpan span, bool wrapped) {
    ShownPage& shown = model->shown;
    PageFind& find = model->find;
    const RowPlace match{line.line, line.line_index, row_of_byte(rows, line.line, span.from)};
    set_text_top(&model->shown, rows,
                 bounded_place(rows, match, text_visible_rows(model->window.ws_row)));
    if (!rows.wrap) {
        shown.left = left_showing(rows, bytes, span, shown.left);
    }
    find.phase = FoundInText{
        shown.key,
        {static_cast<std::size_t>(line.line - rows.text.data()), line.line_index, span.from}};
    note_wrapped(&model->message, wrapped);
}

void not_found(Model* model) {
    PageFind& find = model->find;
    find.phase = std::monostate{};
    model->message = error_message("Not found: " + find.needle);
}

// The text the search of the page on screen looks through now.
FindText find_text(const Model& model, const TextRows& rows) {
    return {rows.text, text_line_count(model), model.find.needle};
}

// A search of the text from the first row on screen, or from the row of the match found last
// (the rows of its line that `which` allows first, then the other lines in turn, round the end,
// the origin's line last).
void search_text(Model* model, std::optional<TextMatch> from, Rows which, FindDirection direction) {
    measure_text_page(model);
    const ShownPage& shown = model->shown;
    PageFind& find = model->find;
    const TextRows rows = text_rows(*model);
    if (rows.text.empty()) {
        not_found(model);
        return;
    }
    RowPlace origin = text_top(*model, rows);
    if (from && from->line_at < rows.text.size()) {
        // The row as the lines are laid out now: `w` or a resize may have moved it.
        const char* line = rows.text.data() + from->line_at;
        origin = {line, from->line, row_of_byte(rows, line, from->byte)};
    }
    const RowCursor cursor = row_cursor(rows, {origin.line, origin.line_index, 0});
    const std::vector<MatchSpan> spans = find_in_line(cursor.line, find.needle, cursor.coding);
    const std::vector<long> span_rows = rows_of_matches(rows, cursor.line, spans);
    const MatchSpan* chosen = nullptr;
    for (std::size_t k = 0; k < spans.size(); ++k) {
        if (row_allowed(span_rows[k], origin.row, which)) {
            chosen = &spans[k];
            if (direction == FindDirection::forward) {
                break;
            }
        }
    }
    if (chosen != nullptr) {
        land_in_text(model, rows, origin, cursor.line, *chosen, false);
        return;
    }
    find.phase = FindLooking{shown.key,
                             find_start(find_text(*model, rows),
                                        static_cast<std::size_t>(origin.line - rows.text.data()),
                                        origin.line_index, direction, false),
                             from};
    // A short text is done before this key's frame.
    std::ignore = step_find(model);
}

// Every display of the menu, for find_item.
std::vector<std::string_view> menu_displays(const Model& model) {
    const MenuItems& items = model.shown.items;
    const char* content = model.history.current->content.get();
    std::vector<std::string_view> displays;
    displays.reserve(items.items.size());
    for (int k = 0; k < item_count(items); ++k) {
        displays.push_back(menu_item_display(items.items[static_cast<std::size_t>(k)], content));
    }
    return displays;
}

// The item at the top where the menu allows; a link that holds the match is selected, and the
// marker stays on screen whenever a link is.
void land_in_menu(Model* model, long index, bool wrapped) {
    ShownPage& shown = model->shown;
    PageFind& find = model->find;
    const int rows = rows_of(*model);
    const auto count = static_cast<long>(shown.layout.rows.size());
    const long last_top = count - rows > 0 ? count - rows : 0;
    MenuPlace& place = shown.place;
    place.top = static_cast<int>(index < last_top ? index : last_top);
    if (shown.layout.rows[static_cast<std::size_t>(index)].selectable) {
        place.selected = static_cast<int>(index);
    } else if (!marker_on_screen(place, rows)) {
        for (long row = place.top; row < place.top + rows && row < count; ++row) {
            if (shown.layout.rows[static_cast<std::size_t>(row)].selectable) {
                place.selected = static_cast<int>(row);
                break;
            }
        }
    }
    shown.place_rows = rows;
    find.phase = FoundInMenu{shown.key, index};
    note_wrapped(&model->message, wrapped);
}

void search_menu(Model* model, long from, bool include_from, FindDirection direction) {
    if (!model->shown.placed) {
        return;
    }
    const std::vector<std::string_view> displays = menu_displays(*model);
    const ItemFound found = find_item(displays, from, model->find.needle, direction, include_from);
    if (found.index < 0) {
        not_found(model);
        return;
    }
    land_in_menu(model, found.index, found.wrapped);
}

// The match found last, when it is on the page on screen.
template <class Found> const Found* found_here(const Model& model) {
    const auto* found = std::get_if<Found>(&model.find.phase);
    return found != nullptr && found->page == model.shown.key ? found : nullptr;
}

} // namespace

void accept_find(Model* model, std::string_view typed) {
    if (typed.empty()) {
        find_again(model, FindDirection::forward);
        return;
    }
    model->find.needle = typed;
    model->find.phase = std::monostate{};
    if (current_content(*model) == nullptr) {
        return;
    }
    const ShownPage& shown = model->shown;
    if (shown.menu) {
        search_menu(model, shown.place.top, true, FindDirection::forward);
    } else {
        search_text(model, std::nullopt, Rows::from, FindDirection::forward);
    }
}

void find_again(Model* model, FindDirection direction) {
    if (model->find.needle.empty() || current_content(*model) == nullptr) {
        return;
    }
    const bool forward = direction == FindDirection::forward;
    const ShownPage& shown = model->shown;
    if (shown.menu) {
        if (const FoundInMenu* found = found_here<FoundInMenu>(*model)) {
            search_menu(model, found->item, false, direction);
        } else {
            search_menu(model, shown.place.top, forward, direction);
        }
        return;
    }
    if (const FoundInText* found = found_here<FoundInText>(*model)) {
        search_text(model, found->match, forward ? Rows::after : Rows::before, direction);
    } else {
        search_text(model, std::nullopt, forward ? Rows::from : Rows::before, direction);
    }
}

bool step_find(Model* model) {
    PageFind& find = model->find;
    auto* looking = std::get_if<FindLooking>(&find.phase);
    if (looking == nullptr) {
        return false;
    }
    if (!(looking->page == model->shown.key) || model->shown.menu) {
        stop_find(&find); // the page it searched has gone
        return false;
    }
    // The text may have grown or moved since the last step, while it arrives: the search goes
    // on from the same lines.
    measure_text_page(model);
    const TextRows rows = text_rows(*model);
    const FindResult result = find_step(looking->state, find_text(*model, rows), step_bytes);
    const FindDirection direction = looking->state.direction;
    switch (result.status) {
    case FindStatus::searching:
        return false;
    case FindStatus::no_match:
        not_found(model);
        return true;
    case FindStatus::found:
        break;
    }
    const RowPlace line{rows.text.data() + result.line, result.line_index, 0};
    const RowCursor cursor = row_cursor(rows, line);
    const std::vector<MatchSpan> spans = find_in_line(cursor.line, find.needle, cursor.coding);
    if (spans.empty()) {
        not_found(model);
        return true;
    }
    const bool forward = direction == FindDirection::forward;
    land_in_text(model, rows, line, cursor.line, forward ? spans.front() : spans.back(),
                 result.wrapped);
    return true;
}

void stop_find(PageFind* find) {
    if (const auto* looking = std::get_if<FindLooking>(&find->phase)) {
        if (looking->from) {
            find->phase = FoundInText{looking->page, *looking->from};
        } else {
            find->phase = std::monostate{};
        }
    }
}

void add_find_waits(const PageFind& find, Waits* waits) {
    if (std::holds_alternative<FindLooking>(find.phase)) {
        waits->deadline = std::chrono::steady_clock::time_point::min();
    }
}
