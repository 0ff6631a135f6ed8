// The history of visited pages: a doubly linked list reached through History::current.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "gopher/address.hpp"
#include "gopher/content.hpp"
#include "nav/page.hpp"

// A fetch that fails must leave the history as it was, so a page is asked for first and linked
// only once its content has arrived: push_page / reload_page, then page_to_fetch, then
// accept_fetched or drop_fetch.
struct History {
    Page* current = nullptr; // the list is reached through it, and freed with the record
    // Asked for and not fetched yet: it enters the history only once its content has arrived.
    std::unique_ptr<Page> pending;
    bool reload_requested = false; // the current page is to be fetched again; its content stays
    unsigned long fetches = 0;     // contents stored so far; numbers each page's content
    // The history page is current, shown over this page and linked to nothing: the list is
    // reached through this one meanwhile.
    Page* below = nullptr;

    History() = default;
    History(const History&) = delete;
    History& operator=(const History&) = delete;
    ~History();
};

// A new page without content; the history it is linked into owns it.
[[nodiscard]] Page* new_page(const Address& address);
void free_forward_history(Page* page);
// Links an unlinked page after the current one, dropping the forward history, and makes it
// current.
void link_page(History* history, Page* page);

// The page to open next; the loop fetches it. Until then the history is untouched.
// display: the display string of the link that led to it, empty for none.
void push_page(History* history, const Address& address, std::string_view display = {});
// The current page is to be fetched again; its content stays until the new one arrives.
void reload_page(History* history);
// The page whose address is to be fetched next, or null: the pending page, else the current
// page when a reload was asked for or it has no content yet.
[[nodiscard]] const Page* page_to_fetch(const History* history);
// The content of page_to_fetch has arrived: a pending page is linked in and becomes current, a
// reloaded page takes the new content in place of the old. Either way the content is numbered
// as the next fetch. size is the bytes received; left out, the content is taken as a C string.
void accept_fetched(History* history, Content content, std::size_t size = SIZE_MAX);
// The fetch failed or was cancelled: the history stays exactly as it was.
void drop_fetch(History* history);
// A page made by the program from bytes (the bookmarks page, the history page) takes them as
// its content, numbered as the next fetch.
void fill_page(History* history, Page* page, std::string_view bytes);
// A page made by the program (the history page) shown over the current page without joining
// the list; uncover_page frees it and shows the page below again.
void cover_page(History* history, std::unique_ptr<Page> page);
void uncover_page(History* history);

// False when there is no page that way.
bool go_back(History* history);
bool go_forward(History* history);
// Frees the whole list that the page belongs to.
void free_history(Page* page);
