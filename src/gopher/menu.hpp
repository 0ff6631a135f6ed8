// Menu or text, and the parsing of a menu into items.
#pragma once

#include "gopher/menu_item.hpp"
#include "nav/browser.hpp"

[[nodiscard]] int page_is_menu(const Page* page);
// 1 when the line yields an item, 0 when it is skipped. Writes terminators into the line.
[[nodiscard]] int parse_menu_line(char* line, MenuItem* item, const char* default_host,
                                  int default_port);
// Removes trailing white space, keeping leading white space.
void trim_trailing_space(char* text);
void build_menu_items(Browser* browser, const char* content);
