// Any response parsed as a menu: fields inside their lines and limits, ordinals in order, one
// item per kept line.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.hpp"
#include "gopher/item_type.hpp"
#include "gopher/menu.hpp"
#include "gopher/menu_items.hpp"
#include "support/menu_build.hpp"
#include "support/reference.hpp"

namespace {

bool placeholder(std::string_view host) {
    return host == "null.host" || host == "error.host";
}

constexpr const char* page_host = "alpha.lan";
constexpr int page_port = 70;

// The first `count` items of both menus are the same, and they are all `partial` holds.
void check_prefix(const MenuItems& full, const MenuItems& partial, const char* content, int count) {
    FUZZ_CHECK(item_count(partial) == count);
    const char* host = page_host;
    int selectable = 0;
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        FUZZ_CHECK(reference::written_out(full.items[at], content, host) ==
                   reference::written_out(partial.items[at], content, host));
        selectable += partial.items[at].selectable;
    }
    FUZZ_CHECK(partial.selectable_count == selectable);
}

// A build that stops after the first screen's items, then completes in one of the ways the
// program or its tests can complete it.
void check_two_step_build(const MenuItems& full, const char* content, unsigned wanted_pick,
                          unsigned how) {
    const int wanted = static_cast<int>(wanted_pick % static_cast<unsigned>(item_count(full) + 2));
    MenuItems partial;
    MenuBuild build;
    start_menu_items(&partial, &build, content, page_host, page_port, wanted);
    check_prefix(full, partial, content, wanted < item_count(full) ? wanted : item_count(full));
    switch (how % 3) {
    case 0:
        finish_menu_items(&partial, &build);
        break;
    case 1: {
        // Another menu's build in between touches neither these items nor their build.
        MenuItems other;
        MenuBuild other_build;
        const char* other_menu = "1Other\t/o\tbeta.lan\t70\n";
        start_menu_items(&other, &other_build, other_menu, page_host, page_port, 0);
        FUZZ_CHECK(item_count(other) == 0);
        check_prefix(full, partial, content, wanted < item_count(full) ? wanted : item_count(full));
        finish_menu_items(&other, &other_build);
        FUZZ_CHECK(item_count(other) == 1);
        finish_menu_items(&partial, &build);
        break;
    }
    default:
        // The same items starting again drop the waiting build.
        start_menu_items(&partial, &build, content, page_host, page_port, INT_MAX);
        break;
    }
    check_prefix(full, partial, content, item_count(full));
    finish_menu_items(&partial, &build); // nothing waits any more: a no-op
    check_prefix(full, partial, content, item_count(full));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The content is a C string; an exact-size copy catches reads past its end.
    const std::size_t length = strnlen(reinterpret_cast<const char*>(data), size);
    std::vector<char> content(data, data + length);
    content.push_back('\0');
    const std::vector<char> before = content;

    MenuItems menu;

    // Twice, as a page shown again is parsed again: the first array must be released.
    for (int pass = 0; pass < 2; ++pass) {
        build_menu_items(&menu, content.data(), page_host, page_port);
        FUZZ_CHECK(content == before);

        const std::vector<std::string_view> lines = reference::kept_lines({content.data(), length});
        FUZZ_CHECK(item_count(menu) == static_cast<int>(lines.size()));
        int ordinal = 0;
        for (int i = 0; i < item_count(menu); ++i) {
            const MenuItem& item = menu.items[static_cast<std::size_t>(i)];
            FUZZ_CHECK(item.type == lines[static_cast<std::size_t>(i)][0]);
            // Views that stay inside their own line and within their field's limit.
            const std::string_view line = lines[static_cast<std::size_t>(i)];
            const auto inside = [&](std::string_view field, std::size_t max) {
                return field.size() <= max && (field.empty() || (field.data() >= line.data() &&
                                                                 field.data() + field.size() <=
                                                                     line.data() + line.size()));
            };
            const std::string_view display = menu_item_display(item, content.data());
            const std::string_view selector = menu_item_selector(item, content.data());
            const std::string_view host = menu_item_host(item, content.data(), page_host);
            FUZZ_CHECK(inside(display, 1023));
            FUZZ_CHECK(inside(selector, 1023));
            FUZZ_CHECK(host.size() <= 255);
            FUZZ_CHECK(host.data() == page_host || inside(host, 255));
            FUZZ_CHECK(item.selectable == 0 || item.selectable == 1);
            if (item.selectable) {
                FUZZ_CHECK(item.ordinal == ++ordinal);
                FUZZ_CHECK(item_selectable_type(item.type));
                FUZZ_CHECK(!placeholder(host));
                FUZZ_CHECK(item.port >= 1 && item.port <= 65535);
            } else {
                FUZZ_CHECK(item.ordinal == 0);
            }
            if (item.type == 'i') {
                FUZZ_CHECK(selector.empty() && host.empty() && item.port == 0);
            }
        }
        FUZZ_CHECK(menu.selectable_count == ordinal);
    }

    // What follows the content's NUL, if anything, chooses how the two-step build goes.
    const std::uint8_t* rest = data + length + (length < size ? 1 : 0);
    const std::size_t rest_size = size - static_cast<std::size_t>(rest - data);
    check_two_step_build(menu, content.data(),
                         rest_size > 0 ? rest[0] : static_cast<unsigned>(size),
                         rest_size > 1 ? rest[1] : static_cast<unsigned>(length));
    return 0;
}
