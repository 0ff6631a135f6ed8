// The item array of a menu, built in two steps so that its first screen can be drawn early.
#include "gopher/menu_items.hpp"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <tuple>

#include "app/fatal.hpp"
#include "gopher/menu.hpp"

namespace {

constexpr std::size_t first_capacity = 50;

// Doubles the array when it is full.
void make_room(MenuItems* menu, std::size_t& capacity) {
    if (static_cast<std::size_t>(menu->count) < capacity) {
        return;
    }
    MenuItem* grown = capacity <= SIZE_MAX / 2 / sizeof(MenuItem)
                          ? static_cast<MenuItem*>(
                                std::realloc(menu->items.get(), 2 * capacity * sizeof(MenuItem)))
                          : nullptr;
    if (grown == nullptr) {
        fatal("Error: Failed to reallocate memory for Gopher items.");
    }
    std::ignore = menu->items.release();
    menu->items.reset(grown);
    capacity *= 2;
}

// Parses lines until `wanted` items exist or the content is used up. While it grows, a last
// line without its LF waits for the rest of it.
void parse_lines(MenuItems* menu, MenuBuild* build, int wanted) {
    const char* const content = build->content;
    std::size_t at = build->next;
    MenuItem item;
    while (content[at] != '\0' && menu->count < wanted) {
        const char* line = content + at;
        const char* line_end = strchrnul(line, '\n');
        if (build->growing && *line_end != '\n') {
            break;
        }
        const auto length = static_cast<std::size_t>(line_end - line);
        if (length > 0 &&
            parse_menu_line({line, length}, at, &item, build->default_host, build->default_port)) {
            make_room(menu, build->capacity);
            if (item.selectable) {
                item.ordinal = ++menu->selectable_count;
            }
            menu->items[static_cast<std::size_t>(menu->count++)] = item;
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
    menu->items.reset();
    menu->items.reset(static_cast<MenuItem*>(std::malloc(first_capacity * sizeof(MenuItem))));
    if (!menu->items) {
        fatal("Error: Failed to allocate memory for Gopher items.");
    }
    menu->count = 0;
    menu->selectable_count = 0;

    *build = MenuBuild{};
    build->content = content;
    build->capacity = first_capacity;
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
        parse_lines(menu, build, INT_MAX);
    }
}
