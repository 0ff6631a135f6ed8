// A frame: the screen as the views leave it, a grid of cells, before any byte is written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// A colour by its palette index: one of the 16 basic colours, or one of the 256 of the
// extended palette.
enum class ColourKind : std::uint8_t { none, basic, indexed };
struct Colour {
    ColourKind kind = ColourKind::none; // none: the terminal's default
    std::uint8_t index = 0;

    friend bool operator==(const Colour&, const Colour&) = default;
};

[[nodiscard]] constexpr Colour basic_colour(int index) {
    return {ColourKind::basic, static_cast<std::uint8_t>(index)};
}
[[nodiscard]] constexpr Colour palette_colour(int index) {
    return {ColourKind::indexed, static_cast<std::uint8_t>(index)};
}

struct Attr {
    Colour fg;
    Colour bg;
    bool bold = false;
    bool reverse = false;
    bool underline = false;

    friend bool operator==(const Attr&, const Attr&) = default;
};

// Bytes that switch reverse video on and off inside a text put into a frame, and reverse video
// with underline on (the match a search landed on). All are control characters, which the
// output filter never lets through, so they cannot come from a page.
inline constexpr char mark_on = '\x0e';
inline constexpr char mark_off = '\x0f';
inline constexpr char mark_current = '\x10';

// One column. glyph holds the UTF-8 bytes of a cluster of one character, packed from the low
// byte up; a cluster of several characters (one with combining marks) is kept in the frame's
// list, and glyph is its index shifted past the low byte, which is then 0.
struct Cell {
    std::uint32_t glyph = ' ';
    std::uint8_t width = 1; // 2 for a wide character, 0 for the column it covers on its right
    Attr attr;
};
// The writer compares rows of cells as bytes.
static_assert(sizeof(Cell) == 12 && std::has_unique_object_representations_v<Colour>);

struct Frame {
    int rows = 0;
    int cols = 0;
    std::vector<Cell> cells; // row by row
    std::vector<std::string> clusters;
    int cursor_row = 1; // 1-based
    int cursor_col = 1;
    bool cursor_shown = false;
    // Rows (1-based, inclusive) whose content may move up or down as a whole: the writer may
    // scroll them. 0 when none.
    int scroll_top = 0;
    int scroll_bottom = 0;
};

// A frame of blanks in the default colours.
[[nodiscard]] Frame make_frame(int rows, int cols);

[[nodiscard]] inline const Cell& cell_at(const Frame& frame, int row, int col) {
    return frame.cells[static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(frame.cols) +
                       static_cast<std::size_t>(col - 1)];
}

// Puts text (already through the output filter) from row, col on, with mark_on and mark_off
// switching reverse video on top of attr. Each character takes the columns the width code gives
// it; a zero-width one joins the cell before it; nothing goes past the last column, and a wide
// character that would straddle it is left out. Returns the column after the text.
int put_text(Frame* frame, int row, int col, std::string_view text, Attr attr);

// count blanks in attr from row, col on, cut at the last column.
void put_blanks(Frame* frame, int row, int col, int count, Attr attr);

// The cell's characters.
[[nodiscard]] std::string_view cell_text(const Frame& frame, const Cell& cell,
                                         std::string* scratch);

// The same cell on screen: same characters, width and attributes.
[[nodiscard]] bool same_cell(const Frame& a, const Cell& x, const Frame& b, const Cell& y);
