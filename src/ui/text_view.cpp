// The text view: lines of a document under the header bar, wrapped onto the rows below or cut,
// scrolled by row and page.
#include "ui/text_view.hpp"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "nav/model.hpp"
#include "term/frame.hpp"
#include "term/width.hpp"
#include "ui/find_view.hpp"
#include "ui/geometry.hpp"
#include "ui/header.hpp"
#include "ui/looks.hpp"
#include "ui/text_lines.hpp"

namespace {

const char* page_content(const Model& model) {
    const Page* page = model.history.current;
    if (page == nullptr || page->content == nullptr) {
        return "";
    }
    return page->content.get();
}

// The first `lines` lines of the text, whole: a frame from the top shows no more.
std::string_view first_lines(const char* text, long lines) {
    const char* end = text;
    for (long k = 0; k < lines; ++k) {
        const char* newline = std::strchr(end, '\n');
        if (newline == nullptr) {
            return {text, static_cast<std::size_t>(end - text) + std::strlen(end)};
        }
        end = newline + 1;
    }
    return {text, static_cast<std::size_t>(end - text)};
}

} // namespace

RowPlace text_top(const Model& model, const TextRows& rows) {
    const TextTop& top = model.shown.top;
    if (!top.found || top.at >= rows.text.size()) {
        return first_place(rows);
    }
    return clamp_place(rows, {rows.text.data() + top.at, top.line, top.row});
}

int text_room(int cols) {
    const int room = cols - content_column(cols) + 1;
    const int cut = room < band_width ? room : band_width;
    return cut < 1 ? 1 : cut;
}

TextRows text_rows(const Model& model) {
    const ShownPage& shown = model.shown;
    const char* content = page_content(model);
    const std::string_view text =
        text_line_count(model) >= 0 ? std::string_view{content, shown.text_size}
                                    : first_lines(content, text_visible_rows(model.window.ws_row));
    return {text, text_room(model.window.ws_col), model.wrap};
}

void draw_text(const Model& model, Frame* frame) {
    start_view_frame(model, frame);
    if (model.window.ws_row == 0 || model.window.ws_col == 0) {
        return; // not a terminal: nothing to draw on
    }
    const TextRows rows = text_rows(model);
    const int visible = content_rows(model.window.ws_row);
    const bool marked = find_marks_shown(model);
    std::vector<MatchSpan> matches;
    const char* matched_line = nullptr;
    std::size_t current = std::string_view::npos;
    const TextMatch* landed = text_match_shown(model);
    std::string row;
    RowCursor cursor = row_cursor(rows, text_top(model, rows));
    for (int k = 0; k < visible && !rows.text.empty(); ++k) {
        if (marked && cursor.line.data() != matched_line) {
            // Once per line, however many rows it takes.
            matches = find_in_line(cursor.line, model.find.needle, cursor.coding);
            matched_line = cursor.line.data();
            current = std::string_view::npos;
            if (landed != nullptr && landed->line_at < rows.text.size() &&
                rows.text.data() + landed->line_at == matched_line) {
                for (std::size_t m = 0; m < matches.size(); ++m) {
                    current = matches[m].from == landed->byte ? m : current;
                }
            }
        }
        const Marks marks{matches, {&mark_on, 1}, {&mark_off, 1}, current, {&mark_current, 1}};
        const ScreenPlace place = content_row_place(model, k);
        row.clear();
        if (rows.wrap) {
            append_row(row, {cursor.line, cursor.from, cursor.end, cursor.col, cursor.coding}, 0,
                       rows.room, marks);
        } else {
            append_row(row, {cursor.line, 0, cursor.line.size(), 0, cursor.coding},
                       model.shown.left, rows.room, marks);
        }
        put_text(frame, place.row, place.col, row, looks_palette(model.looks).page_text);
        if (!next_row(rows, &cursor)) {
            break;
        }
    }
}
