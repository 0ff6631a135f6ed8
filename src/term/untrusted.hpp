// The one filter between bytes from the network and the terminal.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// How the bytes of a line above 0x7f are read. A line that is not valid UTF-8 once its escape
// sequences are removed is taken as Windows-1252, the usual coding of older pages: one byte,
// one character.
enum class LineCoding { utf8, cp1252 };

// The coding of a whole line: utf8 when every byte above 0x7f outside escape sequences belongs
// to a well-formed UTF-8 character (C1 controls included: they still show as "?"), else cp1252.
// Lines without such bytes are found valid a word at a time.
[[nodiscard]] LineCoding line_coding(std::string_view line);

// The UTF-8 form of the Windows-1252 character of a byte from 0x80 to 0xff; empty for the five
// bytes the table leaves undefined (0x81, 0x8d, 0x8f, 0x90, 0x9d), which show as "?".
[[nodiscard]] std::string_view cp1252_character(unsigned char byte);

enum class ShownAs {
    nothing,  // removed: an escape sequence, or the CR that ends the text
    bytes,    // the piece's own bytes: printable ASCII, TAB or a whole UTF-8 character
    question, // one "?"
    cp1252,   // one byte of a cp1252 line, written as cp1252_character of it
};

// One step of the filter: what the piece of text starting at `at` (< text.size()) shows as,
// and where the next piece starts. The end of the text is the end of the line for its CR.
// Escape sequences and control bytes are the same in both codings.
struct UntrustedPiece {
    std::size_t next;
    ShownAs shown;
};
[[nodiscard]] UntrustedPiece next_untrusted_piece(std::string_view text, std::size_t at,
                                                  LineCoding coding = LineCoding::utf8);

// Length of the leading run of printable ASCII (0x20 to 0x7e), which the filter passes as is.
[[nodiscard]] std::size_t printable_prefix(std::string_view text);

// Appends text to out so that it cannot drive the terminal: escape sequences are removed whole
// (CSI and string sequences with their parameters, ESC with intermediate and final bytes),
// C0 controls other than TAB, DEL, C1 controls and bytes that are not valid UTF-8 become "?",
// and a CR that is the last byte is dropped. Valid UTF-8 passes unchanged. In a cp1252 line
// the bytes above 0x7f are written as their characters in UTF-8 instead.
void append_untrusted(std::string& out, std::string_view text,
                      LineCoding coding = LineCoding::utf8);
