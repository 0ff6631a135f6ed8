// Lines wider than the room continued on the rows below: where each row of a line ends.
#include "term/wrap.hpp"

#include <cstring>

#include "term/width.hpp"

namespace {

constexpr std::size_t no_blank = std::string_view::npos;

} // namespace

WrappedRow next_wrapped_row(std::string_view line, std::size_t from, long col, int room,
                            LineCoding coding) {
    const std::size_t n = line.size();
    room = room < 1 ? 1 : room;
    int used = 0; // columns of the row so far
    std::size_t i = from;
    // Just past the last blank that fit, with what takes no room after it, and the columns
    // up to there.
    std::size_t blank_end = no_blank;
    int blank_cols = 0;
    while (i < n) {
        // Printable ASCII, one column a byte: as much as fits at once.
        const auto left = static_cast<std::size_t>(room - used);
        const std::size_t run = printable_prefix(line.substr(i, left < n - i ? left : n - i));
        if (run > 0) {
            const void* blank = memrchr(line.data() + i, ' ', run);
            if (blank != nullptr) {
                blank_end =
                    static_cast<std::size_t>(static_cast<const char*>(blank) - line.data()) + 1;
                blank_cols = used + static_cast<int>(blank_end - i);
            }
            i += run;
            used += static_cast<int>(run);
            continue;
        }
        const ShownPiece piece = shown_piece(line, i, col + used, TabShow::to_tab_stop, coding);
        if (piece.cols == 0) {
            if (blank_end == i) {
                blank_end = piece.next;
            }
            i = piece.next;
            continue;
        }
        if (piece.cols > room - used) {
            if (blank_end != no_blank) {
                return {blank_end, blank_end, blank_cols, col + blank_cols};
            }
            if (used > 0) {
                break;
            }
            // Wider than the whole room: alone on its row rather than nowhere.
            used = piece.cols;
            i = piece.next;
            break;
        }
        used += piece.cols;
        i = piece.next;
    }
    // Broken at the edge: marks and sequences right after the last character stay with it.
    while (i < n) {
        const ShownPiece piece = shown_piece(line, i, col + used, TabShow::to_tab_stop, coding);
        if (piece.cols != 0) {
            break;
        }
        i = piece.next;
    }
    return {i, i, used, col + used};
}

long wrapped_rows(std::string_view line, int room, LineCoding coding) {
    if (line.size() <= static_cast<std::size_t>(room < 1 ? 1 : room) &&
        std::memchr(line.data(), '\t', line.size()) == nullptr) {
        return 1;
    }
    long rows = 0;
    std::size_t from = 0;
    long col = 0;
    do {
        const WrappedRow row = next_wrapped_row(line, from, col, room, coding);
        from = row.next;
        col = row.next_col;
        ++rows;
    } while (from < line.size());
    return rows;
}

RowStart wrapped_row_start(std::string_view line, long row, int room, LineCoding coding) {
    RowStart start{0, 0};
    for (long r = 0; r < row; ++r) {
        if (start.at >= line.size()) {
            return {line.size(), start.col};
        }
        const WrappedRow next = next_wrapped_row(line, start.at, start.col, room, coding);
        start = {next.next, next.next_col};
    }
    return start;
}
