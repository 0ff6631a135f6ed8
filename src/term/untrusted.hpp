// The one filter between bytes from the network and the terminal.
#pragma once

#include <string>
#include <string_view>

// Appends text to out so that it cannot drive the terminal: escape sequences are removed whole,
// C0 controls other than TAB, DEL, C1 controls and bytes that are not valid UTF-8 become "?",
// and a CR that is the last byte is dropped. Valid UTF-8 passes unchanged.
void append_untrusted(std::string& out, std::string_view text);

// append_untrusted into a new string, for the tests.
[[nodiscard]] std::string sanitize_untrusted(std::string_view text);

// Writes the filtered text to standard output without flushing.
void print_untrusted(std::string_view text);
