// A line typed in a prompt: its text, the cursor in it, the keys that edit it as a shell's line
// editor does, and the part of it a field of some columns shows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "term/key_decoder.hpp"

// text is UTF-8 without control characters. cursor and shown_from stand at character
// boundaries; a character is a code point with the zero-width ones after it (combining marks),
// so that the cursor never stands inside what the terminal draws as one. pending holds the
// first bytes of a character still being typed.
struct LineEdit {
    std::string text;
    std::size_t cursor = 0;     // byte offset in text
    std::size_t shown_from = 0; // the first byte the field showed, kept so the view moves little
    std::string pending;
};

// A line holding text with the cursor at its end; what is not UTF-8 in text, and control
// characters, are left out.
[[nodiscard]] LineEdit line_with(std::string_view text);

// One key: a typed byte (a character once its UTF-8 bytes are whole; a sequence that is not
// UTF-8, or a control character, is dropped), Left, Right, Home and End (Ctrl-A, Ctrl-E),
// Backspace, Delete, Ctrl-U (erases up to the cursor) and Ctrl-W (the word before the cursor).
// A character that would take the text past limit_bytes is not taken. Returns false for a key
// that is none of these (Enter and Esc among them), which the caller acts on.
bool edit_line(LineEdit* line, DecodedKey key, std::size_t limit_bytes);

// What a field of `room` columns shows of the line: the bytes [from, to) and the cursor's column
// in the field. The cursor always stands inside the field, with the whole character under it;
// the view starts at the previous view's start (line.shown_from) where it can, and moves
// sideways only as far as the cursor needs, the text's end filling the field when it can.
// Wide characters are whole or not shown.
struct LineView {
    std::size_t from = 0;
    std::size_t to = 0;
    int cursor_col = 0;
};
[[nodiscard]] LineView view_line(const LineEdit& line, int room);
