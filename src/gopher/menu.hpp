// Menu or text, and the parsing of a menu into items.
#pragma once

#include <cstddef>
#include <string_view>

#include "gopher/menu_item.hpp"

struct MenuItems;

// Whether a page of this type with this content (NUL-terminated; null before it arrives) is
// shown as a menu: a page of type 1, 7 or without a type is, unless its first line holds no
// TAB (a server answering a menu request with plain text, usually an error message).
[[nodiscard]] bool content_is_menu(char type, const char* content);
// 1 when the line yields an item, 0 when it is skipped. The line is one line of a content,
// without its LF, starting `at` bytes into that content: the item's offsets count from there.
// Nothing is written into the line.
[[nodiscard]] int parse_menu_line(std::string_view line, std::size_t at, MenuItem* item,
                                  const char* default_host, int default_port);
// The length of text once trailing white space is removed; leading white space is kept, and a
// text of white space only keeps its length.
[[nodiscard]] std::size_t trimmed_length(const char* text, std::size_t length);
