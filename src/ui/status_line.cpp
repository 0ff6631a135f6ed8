// The bottom row while a page loads, and for a message after a failure.
#include "ui/status_line.hpp"

#include <cstdio>

#include "term/screen.hpp"
#include "term/sequences.hpp"
#include "term/untrusted.hpp"

namespace {

constexpr std::size_t kib = 1024;
constexpr std::size_t mib = 1024 * 1024;

// The filtered text cut to fit in cols - 1 cells: a character in the last cell of the bottom
// row could scroll the screen. Counts code points, which the filter leaves well-formed.
std::string fitted(std::string_view text, int cols) {
    std::string shown = sanitize_untrusted(text);
    const std::size_t room = cols > 1 ? static_cast<std::size_t>(cols - 1) : 0;
    std::size_t cells = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const auto byte = static_cast<unsigned char>(shown[i]);
        if ((byte & 0xc0) == 0x80) {
            continue; // continues the character before
        }
        if (cells == room) {
            shown.resize(i);
            break;
        }
        ++cells;
    }
    return shown;
}

void draw_bottom_row(const winsize& size, std::string_view text, const char* colour) {
    const int row = size.ws_row;
    if (row < 1) {
        return;
    }
    const std::string shown = fitted(text, size.ws_col);
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
