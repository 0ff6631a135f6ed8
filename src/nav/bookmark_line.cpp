// One bookmark as a line of a Gopher menu, and finding bookmarks among a file's lines.
#include "nav/bookmark_line.hpp"

#include <utility>

#include "gopher/menu.hpp"
#include "gopher/url.hpp"

namespace {

bool breaks_line(char c) {
    return c == '\t' || c == '\r' || c == '\n' || c == '\0';
}

bool holds_line_breaker(std::string_view text) {
    for (const char c : text) {
        if (breaks_line(c)) {
            return true;
        }
    }
    return false;
}

bool continuation(unsigned char c) {
    return (c & 0xC0U) == 0x80U;
}

// The bytes a UTF-8 character starting with c takes; 1 for a byte that starts none.
std::size_t sequence_length(unsigned char c) {
    if (c >= 0xC2U && c <= 0xDFU) {
        return 2;
    }
    if (c >= 0xE0U && c <= 0xEFU) {
        return 3;
    }
    if (c >= 0xF0U && c <= 0xF4U) {
        return 4;
    }
    return 1;
}

// The largest cut at most max bytes into text that splits no UTF-8 character: a character whose
// lead byte is before the cut and whose end is past it goes whole.
std::size_t character_cut(std::string_view text, std::size_t max) {
    if (text.size() <= max) {
        return text.size();
    }
    for (std::size_t back = 1; back <= 3 && back <= max; ++back) {
        const auto c = static_cast<unsigned char>(text[max - back]);
        if (!continuation(c)) {
            const std::size_t length = sequence_length(c);
            if (length > back) {
                // Only a true sequence is kept whole; stray bytes are characters of their own.
                bool whole = true;
                for (std::size_t i = 1; i < length && max - back + i < text.size(); ++i) {
                    whole = whole && continuation(static_cast<unsigned char>(text[max - back + i]));
                }
                return whole ? max - back : max;
            }
            return max;
        }
    }
    return max;
}

} // namespace

std::string line_display(std::string_view display, std::size_t max) {
    std::string shown(display.substr(0, character_cut(display, max)));
    for (char& c : shown) {
        if (breaks_line(c)) {
            c = ' ';
        }
    }
    return shown;
}

Bookmark link_for_line(Bookmark place) {
    if (!holds_line_breaker(place.selector)) {
        return place;
    }
    std::string selector = "URL:" + gopher_url(place.host, place.port, place.type, place.selector);
    place.type = 'h';
    place.selector = std::move(selector);
    return place;
}

std::optional<std::string> bookmark_line(const Bookmark& bookmark) {
    if (breaks_line(bookmark.type) || holds_line_breaker(bookmark.selector) ||
        holds_line_breaker(bookmark.host)) {
        return std::nullopt;
    }
    std::string line(1, bookmark.type);
    line += line_display(bookmark.display);
    line += '\t';
    line += bookmark.selector;
    line += '\t';
    line += bookmark.host;
    line += '\t';
    line += std::to_string(bookmark.port);
    line += "\r\n";
    return line;
}

bool has_bookmark(std::string_view bytes, const Bookmark& place) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t end = bytes.find('\n', at);
        const std::size_t length = end == std::string_view::npos ? bytes.size() - at : end - at;
        const std::string_view line = bytes.substr(at, length);
        MenuItem item{};
        // No default host or port: a line without its own names no place.
        if (parse_menu_line(line, at, &item, "", 0) == 1 && item.link != 0 &&
            item.type == place.type && item.port == place.port) {
            const std::string_view selector = menu_item_selector(item, bytes.data());
            const std::string_view host = menu_item_host(item, bytes.data(), "");
            if (selector == place.selector && host == place.host) {
                return true;
            }
        }
        at += length + 1;
    }
    return false;
}

LineSpot line_spot(std::string_view bytes, std::size_t inside) {
    const std::size_t before = inside == 0 ? std::string_view::npos : bytes.rfind('\n', inside - 1);
    const std::size_t at = before == std::string_view::npos ? 0 : before + 1;
    const std::size_t end = bytes.find('\n', inside);
    const std::size_t after = end == std::string_view::npos ? bytes.size() : end + 1;
    return {at, std::string(bytes.substr(at, after - at))};
}
