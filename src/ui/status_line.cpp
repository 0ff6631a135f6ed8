// The bottom row while a page loads, and for a message after a failure.
#include "ui/status_line.hpp"

#include <cstdio>
#include <tuple>

#include "gopher/host_port.hpp"
#include "ui/bottom_message.hpp"
#include "ui/looks.hpp"

namespace {

constexpr std::size_t kib = 1024;
constexpr std::size_t mib = std::size_t{1024} * 1024;

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

std::string looking_up_text(std::string_view host) {
    std::string text = "Looking up ";
    text += host;
    text += "...";
    return text;
}

std::string connecting_text(std::string_view host, int port) {
    std::string text = "Connecting to ";
    text += url_host(host);
    text += ':';
    text += std::to_string(port);
    text += "...";
    return text;
}

void draw_fetch_progress(Frame* frame, const winsize& size, std::string_view text) {
    std::ignore = draw_bottom_message_at(frame, size, 1, look::plain, text);
}
