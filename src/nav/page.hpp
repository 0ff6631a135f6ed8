// One entry of the history of visited pages.
#pragma once

#include "gopher/address.hpp"
#include "gopher/content.hpp"

#include <string>

// A page of the network, or one the program makes: the bookmarks file read as a menu, the
// history as a menu. Those two are always menus and are never fetched.
enum class PageKind { gopher, bookmarks, history };

struct Page {
    Address address;
    PageKind kind = PageKind::gopher;
    // The display string of the link that led here; empty for none (a typed address).
    std::string display;
    Content content; // null until fetched; grows while the page loads (Fetch::filling)
    // The transfer stopped before the end (a failure, a cancel, the user left it): the content
    // holds what arrived.
    bool incomplete = false;
    // Bytes of the content as received (it may hold NULs), NUL excluded; while the page loads,
    // the transfer counts them here (lend_buffer).
    std::size_t size = 0;
    Page* prev = nullptr; // older
    Page* next = nullptr; // newer
    // The fetch that gave the content (History::fetches then), 0 for none: with the page it
    // names one content, whatever address its bytes have.
    unsigned long fetch = 0;
    // Where the user left it, shown again on back and forward: the selected link's ordinal
    // (0 for the first link) and the first row of a menu; the first line of a text on screen
    // and its row within that line, whose lines may continue on several rows.
    int selected = 0;
    int menu_top = 0;
    int text_top = 0;
    long text_row = 0;
};
