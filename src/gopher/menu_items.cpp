// The item array of a menu, built in two steps so that its first screen can be drawn early.
#include "gopher/menu_items.hpp"

#include <climits>
#include <cstring>
#include <string_view>

#include "gopher/menu.hpp"

namespace {

// Lines from text to its end, a last one without its LF included.
std::size_t lines_left(const char* text) {
    const std::size_t length = std::strlen(text);
    const char* at = text;
    const char* const end = text + length;
    std::size_t lines = 0;
    while (const void* found = std::memchr(at, '\n', static_cast<std::size_t>(end - at))) {
        ++lines;
        at = static_cast<const char*>(found) + 1;
    }
    return lines + (at < end ? 1 : 0);
}

// Parses lines until `wanted` items exist or the content is used up. While it grows, a last
// line without its LF waits for the rest of it.
void parse_lines(MenuItems* menu, MenuBuild* build, int wanted) {
    const char* const content = build->content;
    std::size_t at = build->next;
    MenuItem item;
    while (content[at] != '\0' && item_count(*menu) < wanted) {
        const char* line = content + at;
        const char* line_end = strchrnul(line, '\n');
        if (build->growing && *line_end != '\n') {
            break;
        }
        const auto length = static_cast<std::size_t>(line_end - line);
        if (length > 0 &&
            parse_menu_line({line, length}, at, &item, build->default_host, build->default_port)) {
            if (item.selectable) {
                item.ordinal = ++menu->selectable_count;
            }
            menu->items.push_back(item);
        }
        at += length + (*line_end == '\n' ? 1 : 0);
    }
    build->next = at;
    if (content[at] == '\0' && !build->growing) {
        build->content = nullptr;
    }
}

} // namespace

void start_menu_items(MenuItems* menu, MenuBuild* build, const char* content,
                      const char* default_host, int default_port, int wanted, bool growing) {
    menu->items.clear();
    menu->selectable_count = 0;

    *build = MenuBuild{};
    build->content = content;
    build->default_host = default_host;
    build->default_port = default_port;
    build->growing = growing;
    parse_lines(menu, build, wanted);
}

void extend_menu_items(MenuItems* menu, MenuBuild* build, const char* content, bool growing,
                       int wanted) {
    if (build->content == nullptr) {
        return;
    }
    build->content = content;
    build->growing = growing;
    parse_lines(menu, build, wanted);
}

void finish_menu_items(MenuItems* menu, MenuBuild* build) {
    build->growing = false;
    if (build->content != nullptr) {
        // Room for a line each, once: growing by doubling would hold the old array and one twice
        // its size at the same time.
        menu->items.reserve(menu->items.size() + lines_left(build->content + build->next));
        parse_lines(menu, build, INT_MAX);
    }
}
