// One parsed line of a Gopher menu, as a view into the content it was parsed from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The texts are not copied: each is an offset into the content and a length, already cut to its
// field's limit (display and selector 1023, host 255) and, for the display, trimmed. The item
// holds the same texts the fixed-size record of the same name held; only its form differs.
struct MenuItem {
    std::size_t display_at;
    std::size_t selector_at;
    std::size_t host_at;
    int port;
    int ordinal; // 1-based among the selectable items, 0 for the others
    std::uint16_t display_length;
    std::uint16_t selector_length;
    std::uint8_t host_length;
    char type;
    std::uint8_t selectable;
    // Selector, host and port were read from the line (not an information item). An empty host
    // field then stands for the page's host.
    std::uint8_t link;
};

// The item's texts in the content it was parsed from. The host of a link with an empty host
// field is default_host, that of the page the menu belongs to; an information item has none.
[[nodiscard]] std::string_view menu_item_display(const MenuItem& item, const char* content);
[[nodiscard]] std::string_view menu_item_selector(const MenuItem& item, const char* content);
[[nodiscard]] std::string_view menu_item_host(const MenuItem& item, const char* content,
                                              const char* default_host);
