// The history page: the pages of the run as a menu of links, to show as any menu.
#pragma once

#include <span>
#include <string>
#include <string_view>

// One page of the history as the history page lists it.
struct HistoryEntry {
    char type = '1';
    std::string_view selector;
    std::string_view host;
    int port = 70;
    // The display string of the link that led to the page; empty for none (a typed address):
    // the page's URL stands in.
    std::string_view display;
    bool here = false;  // the page on screen
    bool listed = true; // false for the bookmarks and history pages, which are not listed
};

// One link line per listed entry, in the order given (newest first, as back and forward walk
// it), the page on screen marked " (here)" after its display string; an information line when
// none is listed.
[[nodiscard]] std::string history_menu(std::span<const HistoryEntry> entries);
