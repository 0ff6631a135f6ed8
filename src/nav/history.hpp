// The history of visited pages: a doubly linked list reached through Browser::current.
#pragma once

#include "nav/browser.hpp"

// A new page without content; the history it is linked into owns it.
[[nodiscard]] Page* new_page(const char* host, int port, const char* selector, char type);
void free_forward_history(Page* page);
// Links an unlinked page after the current one, dropping the forward history, and makes it current.
void link_page(Browser* browser, Page* page);

// A fetch that fails must leave the history as it was, so a page is asked for first and
// linked only once its content has arrived:
//   push_page / reload_page, then page_to_fetch, then accept_fetched or drop_fetch.
// The page to open next; the browse loop fetches it. Until then the history is untouched.
void push_page(Browser* browser, const char* host, int port, const char* selector, char type);
// The current page is to be fetched again; its content stays until the new one arrives.
void reload_page(Browser* browser);
// The page whose address is to be fetched next, or null: the pending page, else the current
// page when a reload was asked for or it has no content yet.
[[nodiscard]] const Page* page_to_fetch(const Browser* browser);
// The content of page_to_fetch has arrived: a pending page is linked in and becomes current,
// a reloaded page takes the new content in place of the old.
void accept_fetched(Browser* browser, Content content);
// The fetch failed or was cancelled: the history stays exactly as it was.
void drop_fetch(Browser* browser);
void go_back(Browser* browser);
void go_forward(Browser* browser);
// Frees the whole list that the page belongs to.
void free_history(Page* page);
