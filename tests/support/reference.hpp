// The plain algorithms that the program's faster ones stand for, shared by the unit tests and
// the fuzz targets: each does the work the slow, obvious way.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "gopher/menu.hpp"
#include "gopher/menu_items.hpp"

// Left out of the coverage that steers a fuzzer, which is the program's, and of its cost.
#if defined(__clang__)
#define REFERENCE_ONLY [[clang::no_sanitize("coverage")]]
#else
#define REFERENCE_ONLY
#endif

namespace reference {

// Newlines one byte at a time, plus one for an unterminated last line.
REFERENCE_ONLY inline long line_count(const char* text, std::size_t length) {
    long lines = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == '\n') {
            ++lines;
        }
    }
    if (length > 0 && text[length - 1] != '\n') {
        ++lines;
    }
    return lines;
}

// Where a frame starts once top lines are skipped: past the next LF top times, stopping at the
// end of the text.
REFERENCE_ONLY inline const char* skip_lines(const char* text, long top) {
    const char* at = text;
    for (long skipped = 0; skipped < top && *at != '\0'; ++skipped) {
        const char* newline = std::strchr(at, '\n');
        if (newline == nullptr) {
            return at + std::strlen(at);
        }
        at = newline + 1;
    }
    return at;
}

// The lines that give an item, found without the parser: split at LF, skip empty pieces, strip
// one trailing CR, keep what has at least two characters.
REFERENCE_ONLY inline std::vector<std::string_view> kept_lines(std::string_view content) {
    std::vector<std::string_view> lines;
    while (!content.empty()) {
        const std::size_t end = content.find('\n');
        std::string_view piece = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        if (!piece.empty() && piece.back() == '\r') {
            piece.remove_suffix(1);
        }
        if (piece.size() >= 2) {
            lines.push_back(piece);
        }
    }
    return lines;
}

// An item with its texts written out, to compare items of different contents.
struct Item {
    char type;
    std::string display;
    std::string selector;
    std::string host;
    int port;
    int selectable;
    int ordinal;
    bool operator==(const Item&) const = default;
};

inline Item written_out(const MenuItem& item, const char* content, const char* default_host) {
    return {item.type,
            std::string(menu_item_display(item, content)),
            std::string(menu_item_selector(item, content)),
            std::string(menu_item_host(item, content, default_host)),
            item.port,
            item.selectable,
            item.ordinal};
}

// The menu's items, written out.
inline std::vector<Item> written_out(const MenuItems& menu, const char* content,
                                     const char* default_host) {
    std::vector<Item> items;
    items.reserve(menu.items.size());
    for (int i = 0; i < item_count(menu); ++i) {
        items.push_back(
            written_out(menu.items[static_cast<std::size_t>(i)], content, default_host));
    }
    return items;
}

// The items of the content as its lines give them, one parse_menu_line each.
inline std::vector<Item> items(const std::string& content, const char* default_host,
                               int default_port) {
    std::vector<Item> items;
    int ordinal = 0;
    std::size_t at = 0;
    while (at < content.size()) {
        std::size_t end = content.find('\n', at);
        if (end == std::string::npos) {
            end = content.size();
        }
        MenuItem item;
        if (end > at && parse_menu_line({content.data() + at, end - at}, at, &item, default_host,
                                        default_port)) {
            if (item.selectable) {
                item.ordinal = ++ordinal;
            }
            items.push_back(written_out(item, content.c_str(), default_host));
        }
        at = end + 1;
    }
    return items;
}

// The selected item's index as the walk from the top finds it, the scroll that follows, and
// the key's effect on the selected ordinal (from 1): the moves of old, which still hold where
// every row was within reach. window_rows is the whole window's height.
inline void move_selection(const MenuItems& menu, int window_rows, int* selected, int* menu_top,
                           unsigned char key) {
    const int page = window_rows >= 5 ? window_rows - 4 : 0;
    const int count = menu.selectable_count;
    if (count == 0) {
        return;
    }
    if (key == '5') {
        *selected = *selected - page < 1 ? 1 : *selected - page;
    } else if (key == '6') {
        *selected = *selected + page > count ? count : *selected + page;
    } else if (key == 'A') {
        *selected = *selected >= 2 ? *selected - 1 : count;
    } else if (key == 'B') {
        *selected = *selected < count ? *selected + 1 : 1;
    }
    int seen = 0;
    for (int i = 0; i < item_count(menu); ++i) {
        if (menu.items[static_cast<std::size_t>(i)].selectable && ++seen == *selected) {
            if (i < *menu_top) {
                *menu_top = i;
            } else if (i >= *menu_top + page) {
                *menu_top = i - page + 1;
            }
            return;
        }
    }
}

} // namespace reference
