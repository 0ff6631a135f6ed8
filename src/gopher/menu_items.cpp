// The item array of a menu, built in two steps so that its first screen can be drawn early.
#include "gopher/menu_items.hpp"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "app/fatal.hpp"
#include "gopher/menu.hpp"
#include "nav/bounded_copy.hpp"

namespace {

// Where a build stands. Between start_menu_items and finish_menu_items it lives in `waiting`.
struct ItemsBuild {
    Browser* browser = nullptr; // null when no build is waiting
    Content copy;               // the private copy, cut into lines as they are parsed
    char* next = nullptr;       // the first byte not parsed yet
    char* end = nullptr;        // the copy's terminator
    std::size_t capacity = 0;   // of the item array, in items
    char default_host[256] = "";
    int default_port = 0;
};

ItemsBuild waiting;

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

// Parses lines of the copy until `wanted` items exist or the copy is used up.
void parse_lines(ItemsBuild& build, int wanted) {
    Browser* browser = build.browser;
    MenuItem spare;
    char* line = build.next;
    while (line < build.end && browser->item_count < wanted) {
        char* line_end =
            static_cast<char*>(std::memchr(line, '\n', static_cast<std::size_t>(build.end - line)));
        if (line_end == nullptr) {
            line_end = build.end;
        }
        *line_end = '\0';
        // Parsed straight into the array rather than copied in item by item; only a full array
        // parses into the spare record first, since a skipped line must not enlarge it.
        const auto count = static_cast<std::size_t>(browser->item_count);
        MenuItem* item = count < build.capacity ? &browser->items[count] : &spare;
        if (line_end > line &&
            parse_menu_line(line, item, build.default_host, build.default_port)) {
            if (item == &spare) {
                make_room(browser, build.capacity);
                item = &browser->items[count];
                *item = spare;
            }
            if (item->selectable) {
                item->ordinal = ++browser->selectable_count;
            }
            ++browser->item_count;
        }
        line = line_end + 1;
    }
    build.next = line;
}

} // namespace

void start_menu_items(Browser* browser, const char* content, int wanted) {
    if (waiting.browser == browser) {
        waiting = ItemsBuild{}; // its array is replaced below
    } else if (waiting.browser != nullptr) {
        finish_menu_items(waiting.browser);
    }
    ItemsBuild build;
    build.browser = browser;

    browser->items.reset();
    build.capacity = 50;
    browser->items.reset(static_cast<MenuItem*>(std::malloc(build.capacity * sizeof(MenuItem))));
    if (!browser->items) {
        fatal("Error: Failed to allocate memory for Gopher items.");
    }
    browser->item_count = 0;
    browser->selectable_count = 0;
    browser->selected = 1;

    const std::size_t length = std::strlen(content);
    build.copy.reset(static_cast<char*>(std::malloc(length + 1)));
    if (!build.copy) {
        fatal("Error: Failed to duplicate response data.");
    }
    std::memcpy(build.copy.get(), content, length + 1);
    build.next = build.copy.get();
    build.end = build.copy.get() + length;

    if (const Page* page = browser->current) {
        copy_bounded(build.default_host, page->host, 255);
        build.default_port = page->port;
    }
    parse_lines(build, wanted);
    if (build.next < build.end) {
        waiting = std::move(build);
    }
}

void finish_menu_items(Browser* browser) {
    if (waiting.browser == nullptr || waiting.browser != browser) {
        return;
    }
    ItemsBuild build = std::move(waiting);
    waiting.browser = nullptr;
    parse_lines(build, INT_MAX);
}

void build_menu_items(Browser* browser, const char* content) {
    start_menu_items(browser, content, INT_MAX);
}
