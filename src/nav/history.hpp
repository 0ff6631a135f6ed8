// The history of visited pages: a doubly linked list reached through Browser::current.
#pragma once

#include "nav/browser.hpp"

// A new page without content; the history it is linked into owns it.
[[nodiscard]] Page* new_page(const char* host, int port, const char* selector, char type);
void free_forward_history(Page* page);
void push_page(Browser* browser, const char* host, int port, const char* selector, char type);
void go_back(Browser* browser);
void go_forward(Browser* browser);
void reload_page(Browser* browser);
// Frees the whole list that the page belongs to.
void free_history(Page* page);
