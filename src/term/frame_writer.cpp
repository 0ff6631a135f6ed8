// The one writer: turns the screen from the last frame written into the next, sending only what
// changed.
#include "term/frame_writer.hpp"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "term/sequences.hpp"

namespace {

// Unchanged cells between two changes that are written again rather than jumped over: a jump
// costs a cursor move of about this many bytes.
constexpr int merge_gap = 6;
// Blank cells up to the row's end that are written as blanks rather than erased.
constexpr int erase_at_least = 4;

bool blank(const Cell& cell) {
    return cell.width == 1 && cell.glyph == ' ' && cell.attr == Attr{};
}

void append_format(std::string* out, const char* format, int a, int b = 0) {
    char text[32];
    const int length = std::snprintf(text, sizeof text, format, a, b);
    out->append(text, static_cast<std::size_t>(length));
}

// A relative move by n: the count is left out for 1.
void append_count(std::string* out, const char* format, int n) {
    if (n == 1) {
        const std::string_view whole{format};
        *out += "\033[";
        *out += whole.back();
        return;
    }
    append_format(out, format, n);
}

void append_colour(std::string* out, Colour colour, int basic, int bright, const char* palette) {
    switch (colour.kind) {
    case ColourKind::none:
        return;
    case ColourKind::basic:
        *out += ';';
        *out += std::to_string(colour.index < 8 ? basic + colour.index : bright + colour.index - 8);
        return;
    case ColourKind::indexed:
        *out += palette;
        *out += std::to_string(colour.index);
        return;
    }
}

// The bytes the writer sends while it works on one frame, and where it left the terminal.
struct Pen {
    std::string* out;
    int row = 0; // 0: not known
    int col = 0;
    Attr attr;
    bool attr_known = false;

    // The shortest of an absolute move and the relative ones, when the place is known.
    void move(int to_row, int to_col) {
        if (row == to_row && col == to_col) {
            return;
        }
        std::string best;
        if (to_col == 1) {
            append_format(&best, seq::cursor_row, to_row);
        } else {
            append_format(&best, seq::cursor_position, to_row, to_col);
        }
        if (row > 0) {
            std::string relative;
            if (to_row > row) {
                append_count(&relative, seq::cursor_down, to_row - row);
            } else if (to_row < row) {
                append_count(&relative, seq::cursor_up, row - to_row);
            }
            if (to_col > col) {
                append_count(&relative, seq::cursor_right, to_col - col);
            } else if (to_col < col) {
                if (col - to_col <= 2) {
                    relative.append(static_cast<std::size_t>(col - to_col), '\b');
                } else {
                    append_count(&relative, seq::cursor_left, col - to_col);
                }
            }
            if (relative.size() < best.size()) {
                best = relative;
            }
        }
        *out += best;
        row = to_row;
        col = to_col;
    }

    void set(const Attr& next) {
        if (attr_known && attr == next) {
            return;
        }
        *out += seq::sgr_start;
        if (next.bold) {
            *out += seq::sgr_bold;
        }
        if (next.underline) {
            *out += seq::sgr_underline;
        }
        if (next.reverse) {
            *out += seq::sgr_reverse;
        }
        append_colour(out, next.fg, seq::sgr_fg_basic, seq::sgr_fg_bright, seq::sgr_fg_palette);
        append_colour(out, next.bg, seq::sgr_bg_basic, seq::sgr_bg_bright, seq::sgr_bg_palette);
        *out += seq::sgr_end;
        attr = next;
        attr_known = true;
    }
};

// Row r of the last frame as the terminal holds it now; scrolling moves whole rows.
struct Shown {
    const Frame& frame;
    std::vector<int> rows; // rows[r - 1]: the last frame's row now on screen row r, 0 blank
    const Cell blank_cell{};

    [[nodiscard]] const Cell& at(int row, int col) const {
        const int from = rows[static_cast<std::size_t>(row - 1)];
        return from == 0 ? blank_cell : cell_at(frame, from, col);
    }
};

// Whether row a of one frame and row b of another hold the same cells. Cells are plain bytes
// without padding, so without clusters a row is compared at once: most rows of a frame are
// those of the last.
bool same_row(const Frame& one, int a, const Frame& other, int b) {
    const auto cols = static_cast<std::size_t>(one.cols);
    const Cell* x = &cell_at(one, a, 1);
    const Cell* y = &cell_at(other, b, 1);
    if (one.clusters.empty() && other.clusters.empty()) {
        return std::memcmp(x, y, cols * sizeof(Cell)) == 0;
    }
    for (std::size_t k = 0; k < cols; ++k) {
        if (!same_cell(one, x[k], other, y[k])) {
            return false;
        }
    }
    return true;
}

// A row's cells folded into one number, so that rows are matched without comparing cells.
std::uint64_t row_hash(const Frame& frame, int row) {
    std::uint64_t hash = 14695981039346656037ULL;
    const auto mix = [&hash](std::uint64_t value) { hash = (hash ^ value) * 1099511628211ULL; };
    std::string scratch;
    for (int col = 1; col <= frame.cols; ++col) {
        const Cell& cell = cell_at(frame, row, col);
        const Attr& attr = cell.attr;
        mix(cell.width);
        mix(static_cast<std::uint64_t>(attr.fg.kind) << 8 | attr.fg.index);
        mix(static_cast<std::uint64_t>(attr.bg.kind) << 8 | attr.bg.index);
        mix((attr.bold ? 1U : 0U) | (attr.reverse ? 2U : 0U) | (attr.underline ? 4U : 0U));
        if (cell.width == 0) {
            continue;
        }
        for (const char c : cell_text(frame, cell, &scratch)) {
            mix(static_cast<unsigned char>(c));
        }
    }
    return hash;
}

// The shift of the scroll rows that leaves most of them in place, when it beats not scrolling
// by more than one row: positive when the content moved up. Rows are matched by their hashes:
// a collision costs bytes, never a wrong screen, since the rows are then compared cell by cell.
int best_shift(const Frame& last, const Frame& next) {
    const int top = next.scroll_top;
    const int bottom = next.scroll_bottom;
    if (top < 1 || bottom > next.rows || bottom - top < 2 || last.scroll_top != top ||
        last.scroll_bottom != bottom) {
        return 0;
    }
    const int height = bottom - top + 1;
    int kept = 0;
    for (int k = 0; k < height; ++k) {
        kept += same_row(next, top + k, last, top + k) ? 1 : 0;
    }
    if (kept == height) {
        return 0;
    }
    std::vector<std::uint64_t> was(static_cast<std::size_t>(height));
    std::vector<std::uint64_t> now(static_cast<std::size_t>(height));
    for (int k = 0; k < height; ++k) {
        was[static_cast<std::size_t>(k)] = row_hash(last, top + k);
        now[static_cast<std::size_t>(k)] = row_hash(next, top + k);
    }
    int best = 0;
    int best_kept = kept + 1;
    for (int shift = 1; shift < height && height - shift > best_kept; ++shift) {
        for (const int sign : {1, -1}) {
            int same = 0;
            for (int k = 0; k < height; ++k) {
                const int from = k + sign * shift;
                if (from >= 0 && from < height) {
                    same += now[static_cast<std::size_t>(k)] == was[static_cast<std::size_t>(from)]
                                ? 1
                                : 0;
                }
            }
            if (same > best_kept) {
                best_kept = same;
                best = sign * shift;
            }
        }
    }
    return best;
}

void scroll(Pen* pen, Shown* shown, int top, int bottom, int shift) {
    // Rows brought in are erased in the current colours: the default ones.
    pen->set(Attr{});
    append_format(pen->out, seq::scroll_region, top, bottom);
    append_format(pen->out, shift > 0 ? seq::scroll_up : seq::scroll_down,
                  shift > 0 ? shift : -shift);
    *pen->out += seq::scroll_region_reset;
    pen->row = 1; // setting and resetting the region both home the cursor
    pen->col = 1;
    std::vector<int>& rows = shown->rows;
    const std::vector<int> before = rows;
    for (int r = top; r <= bottom; ++r) {
        const int from = r + shift;
        rows[static_cast<std::size_t>(r - 1)] =
            from >= top && from <= bottom ? before[static_cast<std::size_t>(from - 1)] : 0;
    }
}

void write_cell(Pen* pen, const Frame& next, int row, int col, std::string* scratch) {
    const Cell& cell = cell_at(next, row, col);
    pen->move(row, col);
    pen->set(cell.attr);
    *pen->out += cell_text(next, cell, scratch);
    pen->col += cell.width;
    if (pen->col > next.cols) {
        pen->row = 0; // at the last column the terminal may or may not wrap on the next one
    }
}

void write_row(Pen* pen, const Shown& shown, const Frame& next, int row) {
    const int cols = next.cols;
    const int from = shown.rows[static_cast<std::size_t>(row - 1)];
    if (from != 0 && same_row(shown.frame, from, next, row)) {
        return;
    }
    const auto changed = [&](int col) {
        return !same_cell(shown.frame, shown.at(row, col), next, cell_at(next, row, col));
    };
    int blank_from = cols + 1; // the row is blank from here to its end
    while (blank_from > 1 && blank(cell_at(next, row, blank_from - 1))) {
        --blank_from;
    }
    std::string scratch;
    int col = 1;
    while (col <= cols) {
        if (!changed(col)) {
            ++col;
            continue;
        }
        int start = col;
        if (cell_at(next, row, start).width == 0 && start > 1) {
            --start; // a wide character is written whole
        }
        int last_changed = col;
        for (int k = col + 1; k <= cols && k - last_changed <= merge_gap; ++k) {
            if (changed(k)) {
                last_changed = k;
            }
        }
        if (last_changed >= blank_from && cols - blank_from + 1 >= erase_at_least) {
            for (int k = start; k < blank_from; ++k) {
                if (cell_at(next, row, k).width != 0) {
                    write_cell(pen, next, row, k, &scratch);
                }
            }
            const int at = start > blank_from ? start : blank_from;
            pen->move(row, at);
            pen->set(Attr{});
            *pen->out += seq::erase_line_end;
            return;
        }
        for (int k = start; k <= last_changed; ++k) {
            if (cell_at(next, row, k).width != 0) {
                write_cell(pen, next, row, k, &scratch);
            }
        }
        col = last_changed + 1;
        if (col <= cols && cell_at(next, row, col).width == 0) {
            ++col; // written with its left half
        }
    }
}

} // namespace

void write_frame(FrameWriter* writer, Frame next, bool repaint, std::string* out) {
    const Frame& last = writer->last;
    const bool full =
        repaint || !writer->painted || last.rows != next.rows || last.cols != next.cols;
    *out += seq::sync_begin;
    Pen pen{out, 0, 0, Attr{}, false};
    Shown shown{.frame = last, .rows = std::vector<int>(static_cast<std::size_t>(next.rows), 0)};
    if (full) {
        // Colours first: the erase paints in the current ones.
        pen.set(Attr{});
        *out += seq::clear_screen;
        pen.row = 1;
        pen.col = 1;
        *out += next.cursor_shown ? seq::show_cursor : seq::hide_cursor;
    } else {
        // The last frame ended with the colours reset.
        pen.attr_known = true;
        for (int r = 1; r <= next.rows; ++r) {
            shown.rows[static_cast<std::size_t>(r - 1)] = r;
        }
        pen.row = last.cursor_shown ? last.cursor_row : 0;
        pen.col = last.cursor_shown ? last.cursor_col : 0;
        if (last.cursor_shown && !next.cursor_shown) {
            *out += seq::hide_cursor;
        }
        if (const int shift = best_shift(last, next); shift != 0) {
            scroll(&pen, &shown, next.scroll_top, next.scroll_bottom, shift);
        }
    }
    for (int r = 1; r <= next.rows; ++r) {
        write_row(&pen, shown, next, r);
    }
    pen.set(Attr{});
    if (next.cursor_shown) {
        pen.move(next.cursor_row, next.cursor_col);
        if (!full && !last.cursor_shown) {
            *out += seq::show_cursor;
        }
    }
    *out += seq::sync_end;
    writer->last = std::move(next);
    writer->painted = true;
}
