// The one filter between bytes from the network and the terminal.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class ShownAs {
    nothing,  // removed: an escape sequence, or the CR that ends the text
    bytes,    // the piece's own bytes: printable ASCII, TAB or a whole UTF-8 character
    question, // one "?"
};

// One step of the filter: what the piece of text starting at `at` (< text.size()) shows as,
// and where the next piece starts. The end of the text is the end of the line for its CR.
struct UntrustedPiece {
    std::size_t next;
    ShownAs shown;
};
[[nodiscard]] UntrustedPiece next_untrusted_piece(std::string_view text, std::size_t at);

// Length of the leading run of printable ASCII (0x20 to 0x7e), which the filter passes as is.
[[nodiscard]] std::size_t printable_prefix(std::string_view text);

// Appends text to out so that it cannot drive the terminal: escape sequences are removed whole
// (CSI and string sequences with their parameters, ESC with intermediate and final bytes),
// C0 controls other than TAB, DEL, C1 controls and bytes that are not valid UTF-8 become "?",
// and a CR that is the last byte is dropped. Valid UTF-8 passes unchanged.
void append_untrusted(std::string& out, std::string_view text);

// append_untrusted into a new string, for the tests.
[[nodiscard]] std::string sanitize_untrusted(std::string_view text);
