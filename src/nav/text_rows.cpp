// Rows of a text page: moving by rows when long lines continue on the rows below them.
#include "nav/text_rows.hpp"

#include <cstring>

#include "term/wrap.hpp"

namespace {

const char* text_end(const TextRows& rows) {
    return rows.text.data() + rows.text.size();
}

// The bytes of the line starting at `line`, without its LF.
std::string_view line_at(const TextRows& rows, const char* line) {
    const auto left = static_cast<std::size_t>(text_end(rows) - line);
    const void* lf = std::memchr(line, '\n', left);
    return {line,
            lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - line) : left};
}

// The start of the line after this one, or null when it is the last.
const char* line_after(const TextRows& rows, std::string_view line) {
    const char* next = line.data() + line.size() + 1;
    return next < text_end(rows) ? next : nullptr;
}

// The start of the line before the one starting at `line`, or null for the first.
const char* line_before(const TextRows& rows, const char* line) {
    if (line == rows.text.data()) {
        return nullptr;
    }
    // line - 1 is the LF that ends the line before.
    const auto before = static_cast<std::size_t>(line - 1 - rows.text.data());
    const void* lf = memrchr(rows.text.data(), '\n', before);
    return lf != nullptr ? static_cast<const char*>(lf) + 1 : rows.text.data();
}

long rows_of(const TextRows& rows, std::string_view line) {
    return rows.wrap ? wrapped_rows(line, rows.room, line_coding(line)) : 1;
}

} // namespace

RowPlace first_place(const TextRows& rows) {
    return {rows.text.data(), 0, 0};
}

long move_rows_down(const TextRows& rows, RowPlace* place, long n) {
    if (rows.text.empty()) {
        return 0;
    }
    long moved = 0;
    while (moved < n) {
        const std::string_view line = line_at(rows, place->line);
        if (rows.wrap) {
            const LineCoding coding = line_coding(line);
            const RowStart start = wrapped_row_start(line, place->row, rows.room, coding);
            std::size_t from = start.at;
            long col = start.col;
            while (moved < n) {
                const WrappedRow row = next_wrapped_row(line, from, col, rows.room, coding);
                from = row.next;
                col = row.next_col;
                if (from >= line.size()) {
                    break;
                }
                ++place->row;
                ++moved;
            }
            if (moved == n) {
                break;
            }
        }
        const char* next = line_after(rows, line);
        if (next == nullptr) {
            break;
        }
        *place = {next, place->line_index + 1, 0};
        ++moved;
    }
    return moved;
}

long move_rows_up(const TextRows& rows, RowPlace* place, long n) {
    long moved = 0;
    while (moved < n) {
        if (place->row > 0) {
            const long step = place->row < n - moved ? place->row : n - moved;
            place->row -= step;
            moved += step;
            continue;
        }
        const char* before = line_before(rows, place->line);
        if (before == nullptr) {
            break;
        }
        *place = {before, place->line_index - 1, rows_of(rows, line_at(rows, before)) - 1};
        ++moved;
    }
    return moved;
}

RowPlace last_screen(const TextRows& rows, long visible, long line_count) {
    if (rows.text.empty()) {
        return first_place(rows);
    }
    // The last line ends at the final LF, or at the end when there is none.
    std::size_t end = rows.text.size();
    if (rows.text.back() == '\n') {
        --end;
    }
    const void* lf = memrchr(rows.text.data(), '\n', end);
    const char* last = lf != nullptr ? static_cast<const char*>(lf) + 1 : rows.text.data();
    RowPlace place{last, line_count - 1, rows_of(rows, line_at(rows, last)) - 1};
    move_rows_up(rows, &place, visible - 1);
    return place;
}

RowPlace bounded_place(const TextRows& rows, RowPlace place, long visible) {
    place = clamp_place(rows, place);
    RowPlace below = place;
    const long missing = visible - 1 - move_rows_down(rows, &below, visible - 1);
    if (missing > 0) {
        move_rows_up(rows, &place, missing);
    }
    return place;
}

RowPlace clamp_place(const TextRows& rows, RowPlace place) {
    if (!rows.wrap || rows.text.empty()) {
        place.row = 0;
        return place;
    }
    const long last = rows_of(rows, line_at(rows, place.line)) - 1;
    place.row = place.row < 0 ? 0 : (place.row > last ? last : place.row);
    return place;
}

RowPlace reflow_place(const TextRows& before, const TextRows& after, RowPlace place) {
    if (!before.wrap || !after.wrap || after.text.empty()) {
        place.row = 0;
        return place;
    }
    const std::string_view line = line_at(after, place.line);
    const LineCoding coding = line_coding(line);
    const std::size_t start = wrapped_row_start(line, place.row, before.room, coding).at;
    long row = 0;
    for (WrappedRow next{0, 0, 0, 0};;) {
        next = next_wrapped_row(line, next.next, next.next_col, after.room, coding);
        if (next.next > start || next.next >= line.size()) {
            break;
        }
        ++row;
    }
    place.row = row;
    return place;
}

RowCursor row_cursor(const TextRows& rows, RowPlace place) {
    RowCursor cursor;
    cursor.place = place;
    if (rows.text.empty()) {
        cursor.line = rows.text;
        return cursor;
    }
    cursor.line = line_at(rows, place.line);
    cursor.coding = line_coding(cursor.line);
    if (rows.wrap) {
        const RowStart start = wrapped_row_start(cursor.line, place.row, rows.room, cursor.coding);
        cursor.from = start.at;
        cursor.col = start.col;
        const WrappedRow row =
            next_wrapped_row(cursor.line, cursor.from, cursor.col, rows.room, cursor.coding);
        cursor.end = row.end;
        cursor.next_col = row.next_col;
    } else {
        cursor.end = cursor.line.size();
    }
    return cursor;
}

bool next_row(const TextRows& rows, RowCursor* cursor) {
    if (rows.text.empty()) {
        return false;
    }
    if (rows.wrap && cursor->end < cursor->line.size()) {
        cursor->from = cursor->end;
        cursor->col = cursor->next_col;
        const WrappedRow row =
            next_wrapped_row(cursor->line, cursor->from, cursor->col, rows.room, cursor->coding);
        cursor->end = row.end;
        cursor->next_col = row.next_col;
        ++cursor->place.row;
        return true;
    }
    const char* next = line_after(rows, cursor->line);
    if (next == nullptr) {
        return false;
    }
    *cursor = row_cursor(rows, {next, cursor->place.line_index + 1, 0});
    return true;
}

long row_of_byte(const TextRows& rows, const char* line, std::size_t byte) {
    if (!rows.wrap || rows.text.empty()) {
        return 0;
    }
    const std::string_view bytes = line_at(rows, line);
    const LineCoding coding = line_coding(bytes);
    long row = 0;
    for (WrappedRow next{0, 0, 0, 0};;) {
        next = next_wrapped_row(bytes, next.next, next.next_col, rows.room, coding);
        if (next.next > byte || next.next >= bytes.size()) {
            return row;
        }
        ++row;
    }
}
