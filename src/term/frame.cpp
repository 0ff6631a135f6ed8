// A frame: the screen as the views leave it, a grid of cells, before any byte is written.
#include "term/frame.hpp"

#include "term/width.hpp"

namespace {

Cell& cell_ref(Frame* frame, int row, int col) {
    return frame->cells[static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(frame->cols) +
                        static_cast<std::size_t>(col - 1)];
}

// A character of at most four bytes packs into the glyph itself.
std::uint32_t packed(std::string_view bytes) {
    std::uint32_t glyph = 0;
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        glyph |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[k])) << (8 * k);
    }
    return glyph;
}

bool is_cluster(std::uint32_t glyph) {
    return (glyph & 0xFFU) == 0;
}

// Sets one cell; the halves of a wide character it breaks become blanks, so that no half is
// left on its own.
void set_cell(Frame* frame, int row, int col, Cell cell) {
    Cell& here = cell_ref(frame, row, col);
    if (here.width == 0 && col > 1) {
        cell_ref(frame, row, col - 1) = Cell{' ', 1, cell_ref(frame, row, col - 1).attr};
    }
    if (here.width == 2 && col < frame->cols) {
        cell_ref(frame, row, col + 1) = Cell{' ', 1, here.attr};
    }
    here = cell;
    if (cell.width == 2) {
        Cell& right = cell_ref(frame, row, col + 1);
        if (right.width == 2 && col + 2 <= frame->cols) {
            cell_ref(frame, row, col + 2) = Cell{' ', 1, right.attr};
        }
        right = Cell{0, 0, cell.attr};
    }
}

// Adds a zero-width character to the cell before col.
void join_previous(Frame* frame, int row, int col, std::string_view bytes) {
    if (col <= 1) {
        return; // nothing to sit on
    }
    int at = col - 1;
    if (cell_ref(frame, row, at).width == 0 && at > 1) {
        --at;
    }
    Cell& cell = cell_ref(frame, row, at);
    std::string scratch;
    std::string joined{cell_text(*frame, cell, &scratch)};
    joined += bytes;
    if (joined.size() <= 4) {
        cell.glyph = packed(joined);
        return;
    }
    if (is_cluster(cell.glyph)) {
        frame->clusters[cell.glyph >> 8] = std::move(joined);
        return;
    }
    cell.glyph = static_cast<std::uint32_t>(frame->clusters.size()) << 8;
    frame->clusters.push_back(std::move(joined));
}

} // namespace

Frame make_frame(int rows, int cols) {
    Frame frame;
    frame.rows = rows > 0 && cols > 0 ? rows : 0;
    frame.cols = rows > 0 && cols > 0 ? cols : 0;
    frame.cells.resize(static_cast<std::size_t>(frame.rows) * static_cast<std::size_t>(frame.cols));
    return frame;
}

int put_text(Frame* frame, int row, int col, std::string_view text, Attr attr) {
    if (row < 1 || row > frame->rows || col < 1) {
        return col;
    }
    Attr now = attr;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == mark_on || text[i] == mark_off || text[i] == mark_current) {
            now.reverse = text[i] != mark_off || attr.reverse;
            now.underline = text[i] == mark_current || attr.underline;
            ++i;
            continue;
        }
        const ShownPiece piece = shown_piece(text, i, col - 1, TabShow::one_blank);
        const std::string_view bytes = text.substr(i, piece.next - i);
        i = piece.next;
        if (piece.written == Written::nothing) {
            continue;
        }
        if (piece.cols == 0) {
            join_previous(frame, row, col, bytes);
            continue;
        }
        if (col + piece.cols - 1 > frame->cols) {
            break;
        }
        if (piece.written == Written::as_is && bytes.size() <= 4) {
            set_cell(frame, row, col,
                     Cell{packed(bytes), static_cast<std::uint8_t>(piece.cols), now});
        } else {
            // The filter's own replacements: blanks or a question mark, one column each.
            for (int k = 0; k < piece.cols; ++k) {
                set_cell(
                    frame, row, col + k,
                    Cell{piece.written == Written::question ? std::uint32_t{'?'} : ' ', 1, now});
            }
        }
        col += piece.cols;
    }
    return col;
}

void put_blanks(Frame* frame, int row, int col, int count, Attr attr) {
    if (row < 1 || row > frame->rows) {
        return;
    }
    for (int k = 0; k < count && col + k <= frame->cols; ++k) {
        if (col + k >= 1) {
            set_cell(frame, row, col + k, Cell{' ', 1, attr});
        }
    }
}

std::string_view cell_text(const Frame& frame, const Cell& cell, std::string* scratch) {
    if (cell.width == 0) {
        return {};
    }
    if (is_cluster(cell.glyph)) {
        return frame.clusters[cell.glyph >> 8];
    }
    scratch->clear();
    for (std::uint32_t glyph = cell.glyph; glyph != 0; glyph >>= 8) {
        *scratch += static_cast<char>(glyph & 0xFFU);
    }
    return *scratch;
}

bool same_cell(const Frame& a, const Cell& x, const Frame& b, const Cell& y) {
    if (x.width != y.width || !(x.attr == y.attr)) {
        return false;
    }
    if (x.width == 0) {
        return true; // the right half of a wide character: its left half tells
    }
    if (!is_cluster(x.glyph) || !is_cluster(y.glyph)) {
        return x.glyph == y.glyph;
    }
    return a.clusters[x.glyph >> 8] == b.clusters[y.glyph >> 8];
}
