// The bottom row while a page loads, and for a message after a failure.
#include "ui/status_line.hpp"

#include <cstdio>
#include <tuple>

#include "term/screen.hpp"
#include "term/sequences.hpp"
#include "term/width.hpp"

namespace {

constexpr std::size_t kib = 1024;
constexpr std::size_t mib = std::size_t{1024} * 1024;

void draw_bottom_row(const winsize& size, std::string_view text, const char* colour) {
    const int row = size.ws_row;
    const int cols = size.ws_col;
    if (row < 1 || cols < 1) {
        return; // not a terminal: nothing to draw on
    }
    // Filtered and cut in columns to cols - 1: a character in the last cell of the bottom row
    // could scroll the screen.
    std::string shown;
    std::ignore = append_cut(shown, text, cols - 1, TabShow::one_blank);
    clear_row(row, size.ws_col);
    move_cursor(row, 1);
    std::fputs(colour, stdout);
    std::fwrite(shown.data(), 1, shown.size(), stdout);
    std::fputs(seq::reset, stdout);
    std::fflush(stdout);
}

} // namespace

std::string receiving_text(std::size_t bytes) {
    char text[64];
    if (bytes < 10 * mib) {
        std::snprintf(text, sizeof text, "Receiving... %zu KB", bytes / kib);
    } else {
        const std::size_t tenths = bytes / mib * 10 + bytes % mib * 10 / mib;
        std::snprintf(text, sizeof text, "Receiving... %zu.%zu MB", tenths / 10, tenths % 10);
    }
    return text;
}

std::string connecting_text(std::string_view host, int port) {
    std::string text = "Connecting to ";
    text += host;
    text += ':';
    text += std::to_string(port);
    text += "...";
    return text;
}

void draw_fetch_progress(const winsize& size, std::string_view text) {
    draw_bottom_row(size, text, seq::reset);
}

void draw_error_message(const winsize& size, std::string_view message) {
    draw_bottom_row(size, message, seq::bold_red);
}
