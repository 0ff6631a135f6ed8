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
#include "nav/browser.hpp"

namespace {

constexpr std::size_t first_capacity = 50;

// Doubles the array when it is full.
void make_room(Browser* browser, std::size_t& capacity) {
    if (static_cast<std::size_t>(browser->item_count) < capacity) {
        return;
    }
    MenuItem* grown = capacity <= SIZE_MAX / 2 / sizeof(MenuItem)
                          ? static_cast<MenuItem*>(
                                std::realloc(browser->items.get(), 2 * capacity * sizeof(MenuItem)))
                          : nullptr;
    if (grown == nullptr) {
        fatal("Error: Failed to reallocate memory for Gopher items.");
    }
    std::ignore = browser->items.release();
    browser->items.reset(grown);
    capacity *= 2;
}

// Parses lines until `wanted` items exist or the content is used up.
void parse_lines(Browser* browser, MenuBuild* build, int wanted) {
    const char* const content = build->content;
    std::size_t at = build->next;
    MenuItem item;
    while (content[at] != '\0' && browser->item_count < wanted) {
        const char* line = content + at;
        const char* line_end = strchrnul(line, '\n');
        const auto length = static_cast<std::size_t>(line_end - line);
        if (length > 0 &&
            parse_menu_line({line, length}, at, &item, build->default_host, build->default_port)) {
            make_room(browser, build->capacity);
            if (item.selectable) {
                item.ordinal = ++browser->selectable_count;
            }
            browser->items[static_cast<std::size_t>(browser->item_count++)] = item;
        }
        at += length + (*line_end == '\n' ? 1 : 0);
    }
    build->next = at;
    if (content[at] == '\0') {
        build->content = nullptr;
    }
}

} // namespace

void start_menu_items(Browser* browser, MenuBuild* build, const char* content, int wanted) {
    browser->items.reset();
    browser->items.reset(static_cast<MenuItem*>(std::malloc(first_capacity * sizeof(MenuItem))));
    if (!browser->items) {
        fatal("Error: Failed to allocate memory for Gopher items.");
    }
    browser->item_count = 0;
    browser->selectable_count = 0;
    browser->selected = 1;

    *build = MenuBuild{};
    build->content = content;
    build->capacity = first_capacity;
    if (const Page* page = browser->current) {
        build->default_host = page->host;
        build->default_port = page->port;
    }
    parse_lines(browser, build, wanted);
}

void finish_menu_items(Browser* browser, MenuBuild* build) {
    if (build->content != nullptr) {
        parse_lines(browser, build, INT_MAX);
    }
}

void build_menu_items(Browser* browser, const char* content) {
    MenuBuild build;
    start_menu_items(browser, &build, content, INT_MAX);
}
