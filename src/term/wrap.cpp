// Lines wider than the room continued on the rows below: where each row of a line ends.
#include "term/wrap.hpp"

#include <cstring>

#include "term/width.hpp"

namespace {

constexpr std::size_t no_blank = std::string_view::npos;

bool is_blank(char byte) {
    return byte == ' ' || byte == '\t';
}

} // namespace

WrappedRow next_wrapped_row(std::string_view line, std::size_t from, int room, LineCoding coding) {
    const std::size_t n = line.size();
    room = room < 1 ? 1 : room;
    int col = 0;
    std::size_t i = from;
    // Just past the last blank that fit, with what takes no room after it, and the columns
    // up to there.
    std::size_t blank_end = no_blank;
    int blank_cols = 0;
    while (i < n) {
        // Printable ASCII, one column a byte: as much as fits at once.
        const auto left = static_cast<std::size_t>(room - col);
        const std::size_t run = printable_prefix(line.substr(i, left < n - i ? left : n - i));
        if (run > 0) {
            const void* blank = memrchr(line.data() + i, ' ', run);
            if (blank != nullptr) {
                blank_end =
                    static_cast<std::size_t>(static_cast<const char*>(blank) - line.data()) + 1;
                blank_cols = col + static_cast<int>(blank_end - i);
            }
            i += run;
            col += static_cast<int>(run);
            continue;
        }
        const ShownPiece piece = shown_piece(line, i, col, TabShow::to_tab_stop, coding);
        if (piece.cols == 0) {
            if (blank_end == i) {
                blank_end = piece.next;
            }
            i = piece.next;
            continue;
        }
        if (piece.cols > room - col) {
            if (piece.written == Written::blanks) {
                return {piece.next, piece.next, room};
            }
            if (blank_end != no_blank) {
                return {blank_end, blank_end, blank_cols};
            }
            if (col > 0) {
                break;
            }
            // Wider than the whole room: alone on its row rather than nowhere.
            col = piece.cols;
            i = piece.next;
            break;
        }
        col += piece.cols;
        if (is_blank(line[i])) {
            blank_end = piece.next;
            blank_cols = col;
        }
        i = piece.next;
    }
    // Broken at the edge: marks and sequences right after the last character stay with it.
    while (i < n) {
        const ShownPiece piece = shown_piece(line, i, col, TabShow::to_tab_stop, coding);
        if (piece.cols != 0) {
            break;
        }
        i = piece.next;
    }
    return {i, i, col};
}

long wrapped_rows(std::string_view line, int room, LineCoding coding) {
    if (line.size() <= static_cast<std::size_t>(room < 1 ? 1 : room) &&
        std::memchr(line.data(), '\t', line.size()) == nullptr) {
        return 1;
    }
    long rows = 0;
    std::size_t from = 0;
    do {
        from = next_wrapped_row(line, from, room, coding).next;
        ++rows;
    } while (from < line.size());
    return rows;
}

std::size_t wrapped_row_start(std::string_view line, long row, int room, LineCoding coding) {
    std::size_t from = 0;
    for (long r = 0; r < row; ++r) {
        if (from >= line.size()) {
            return line.size();
        }
        from = next_wrapped_row(line, from, room, coding).next;
    }
    return from;
}

int append_wrapped_row(std::string& out, std::string_view line, std::size_t from, std::size_t end,
                       int room, LineCoding coding) {
    return append_cut_part(out, line, from, end, room, TabShow::to_tab_stop, coding);
}
