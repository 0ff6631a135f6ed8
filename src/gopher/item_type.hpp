// What a menu item's type character stands for: the one table of item types.
#pragma once

#include <string_view>

enum class ItemKind {
    menu,   // 1
    search, // 7: asks for a query, answers with a menu
    text,   // 0, h, 2: shown as a page of text
    saved,  // 5, 9, g, I, p, s, ;, d, P: holds no text, offered for saving
    telnet, // 8 (telnet) and T (tn3270): a session elsewhere, shown as its URL
    info,   // i: a line of the menu, no link
    other,  // every other type, NUL included
};

[[nodiscard]] ItemKind item_kind(char type);
// Menu, search or text: the item is fetched and shown.
[[nodiscard]] bool item_opens_as_page(char type);
// A type the user can act on: it opens as a page, is saved or is a telnet session. Whether the
// item's host and port allow it is menu.cpp's rule.
[[nodiscard]] bool item_selectable_type(char type);

// Every label's columns: the widest label and a blank, so display strings after labels line up.
inline constexpr int item_label_width = 7;
// The label shown before a menu row's display string, padded to item_label_width: "[DIR]  " for
// a menu, "[?]    " for a type the table does not know, blanks for an information line.
[[nodiscard]] std::string_view item_label(char type);
