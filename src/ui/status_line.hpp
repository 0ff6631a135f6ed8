// The bottom row while a page loads, and for a message after a failure.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <sys/ioctl.h>

struct Frame;

// "Receiving... N KB" (N = bytes / 1024, rounded down); from 10 MB on "Receiving... N.N MB"
// in units of 1024 x 1024, rounded down to the tenth.
[[nodiscard]] std::string receiving_text(std::size_t bytes);

// "Looking up HOST...", the host as it came (the drawing filters it).
[[nodiscard]] std::string looking_up_text(std::string_view host);

// "Connecting to HOST:PORT...", the host as it came (the drawing filters it), an IPv6 literal in
// brackets: "Connecting to [::1]:7070...".
[[nodiscard]] std::string connecting_text(std::string_view host, int port);

// Replaces the bottom row with the text, filtered and cut to the row, in the default colours.
// Nothing else on the screen changes.
void draw_fetch_progress(Frame* frame, const winsize& size, std::string_view text);
