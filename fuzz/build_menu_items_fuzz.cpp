// Any response parsed as a menu: terminated fields, ordinals in order, one item per kept line.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.hpp"
#include "gopher/menu.hpp"
#include "gopher/menu_items.hpp"
#include "nav/page.hpp"

namespace {

// The lines that give an item, found without the parser: split at LF, skip empty pieces, strip
// one trailing CR, keep what has at least two characters.
std::vector<std::string_view> kept_lines(std::string_view content) {
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

bool terminated(const char* field, std::size_t size) {
    return std::memchr(field, '\0', size) != nullptr;
}

bool placeholder(const char* host) {
    return std::strcmp(host, "null.host") == 0 || std::strcmp(host, "error.host") == 0;
}

bool same_item(const MenuItem& a, const MenuItem& b) {
    return a.type == b.type && std::strcmp(a.display, b.display) == 0 &&
           std::strcmp(a.selector, b.selector) == 0 && std::strcmp(a.host, b.host) == 0 &&
           a.port == b.port && a.selectable == b.selectable && a.ordinal == b.ordinal;
}

// The first `count` items of both browsers are the same, and they are all `partial` holds.
void check_prefix(const Browser& full, const Browser& partial, int count) {
    FUZZ_CHECK(partial.item_count == count);
    FUZZ_CHECK(partial.selected == 1);
    int selectable = 0;
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        FUZZ_CHECK(same_item(full.items[at], partial.items[at]));
        selectable += partial.items[at].selectable;
    }
    FUZZ_CHECK(partial.selectable_count == selectable);
}

// A build that stops after the first screen's items, then completes in one of the ways the
// program can complete it: asked to finish, or finished by the next build.
void check_two_step_build(const Browser& full, const char* content, unsigned wanted_pick,
                          unsigned how) {
    const int wanted = static_cast<int>(wanted_pick % static_cast<unsigned>(full.item_count + 2));
    Browser partial{};
    partial.current = full.current;
    Browser other{};
    other.current = full.current;
    start_menu_items(&partial, content, wanted);
    check_prefix(full, partial, wanted < full.item_count ? wanted : full.item_count);
    switch (how % 3) {
    case 0:
        finish_menu_items(&partial);
        break;
    case 1:
        // Another browser's build finishes the waiting one first.
        start_menu_items(&other, "1Other\t/o\tbeta.lan\t70\n", 0);
        FUZZ_CHECK(other.item_count == 0);
        finish_menu_items(&other);
        FUZZ_CHECK(other.item_count == 1);
        break;
    default:
        // The same browser starting again drops the waiting build.
        start_menu_items(&partial, content, INT_MAX);
        break;
    }
    check_prefix(full, partial, full.item_count);
    finish_menu_items(&partial); // nothing waits any more: a no-op
    check_prefix(full, partial, full.item_count);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The content is a C string; an exact-size copy catches reads past its end.
    const std::size_t length = strnlen(reinterpret_cast<const char*>(data), size);
    std::vector<char> content(data, data + length);
    content.push_back('\0');
    const std::vector<char> before = content;

    Page page{};
    std::strcpy(page.host, "alpha.lan");
    page.port = 70;
    Browser browser{};
    browser.current = &page;
    browser.menu_top = 7;

    // Twice, as the browse loop does on every pass: the first array must be released.
    for (int pass = 0; pass < 2; ++pass) {
        build_menu_items(&browser, content.data());
        FUZZ_CHECK(content == before);
        FUZZ_CHECK(browser.menu_top == 7);
        FUZZ_CHECK(browser.selected == 1);

        const std::vector<std::string_view> lines = kept_lines({content.data(), length});
        FUZZ_CHECK(browser.item_count == static_cast<int>(lines.size()));
        int ordinal = 0;
        for (int i = 0; i < browser.item_count; ++i) {
            const MenuItem& item = browser.items[static_cast<std::size_t>(i)];
            FUZZ_CHECK(item.type == lines[static_cast<std::size_t>(i)][0]);
            FUZZ_CHECK(terminated(item.display, sizeof item.display));
            FUZZ_CHECK(terminated(item.selector, sizeof item.selector));
            FUZZ_CHECK(terminated(item.host, sizeof item.host));
            FUZZ_CHECK(item.selectable == 0 || item.selectable == 1);
            if (item.selectable) {
                FUZZ_CHECK(item.ordinal == ++ordinal);
                FUZZ_CHECK(std::strchr("0127h", item.type) != nullptr && item.type != '\0');
                FUZZ_CHECK(!placeholder(item.host));
                FUZZ_CHECK(item.port >= 1 && item.port <= 65535);
            } else {
                FUZZ_CHECK(item.ordinal == 0);
            }
            if (item.type == 'i') {
                FUZZ_CHECK(item.selector[0] == '\0' && item.host[0] == '\0' && item.port == 0);
            }
        }
        FUZZ_CHECK(browser.selectable_count == ordinal);
    }

    // What follows the content's NUL, if anything, chooses how the two-step build goes.
    const std::uint8_t* rest = data + length + (length < size ? 1 : 0);
    const std::size_t rest_size = size - static_cast<std::size_t>(rest - data);
    check_two_step_build(browser, content.data(),
                         rest_size > 0 ? rest[0] : static_cast<unsigned>(size),
                         rest_size > 1 ? rest[1] : static_cast<unsigned>(length));
    return 0;
}
