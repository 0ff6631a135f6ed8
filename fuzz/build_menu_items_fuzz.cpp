// Any response parsed as a menu: terminated fields, ordinals in order, one item per kept line.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.hpp"
#include "gopher/menu.hpp"
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
            } else {
                FUZZ_CHECK(item.ordinal == 0);
            }
            if (item.type == 'i') {
                FUZZ_CHECK(item.selector[0] == '\0' && item.host[0] == '\0' && item.port == 0);
            }
        }
        FUZZ_CHECK(browser.selectable_count == ordinal);
    }
    return 0;
}
