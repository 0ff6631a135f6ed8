// What is worked out from the page on screen, kept while the same content comes back.
#pragma once

#include "gopher/menu_items.hpp"
#include "nav/browser.hpp"
#include "nav/text_position.hpp"

// A page and the fetch that gave its content: another page, or a reload of the same one, is
// another key, whatever addresses the page and its bytes happen to have.
struct ShownKey {
    const Page* page = nullptr;
    unsigned long fetch = 0;
    bool operator==(const ShownKey&) const = default;
};

// The record of the page on screen. Owned by the browse loop, handed to the views by pointer,
// and checked against the page in one place, prepare_shown_page.
struct ShownPage {
    ShownKey key;
    bool menu_started = false; // the browser's items are this page's, whole or being built
    MenuBuild build;
    int search_from = 0;   // index where the last selection search ended: the next one starts there
    int text_lines = -1;   // the text's line count; -1 until counted
    TextPosition position; // where the last text frame started
};

// The one place the record is reset: when the current page or its fetch differs from the key,
// the record starts afresh and the browser's item array (another page's) goes. Then, for a
// menu, the items are made as build_menu_items would make them (selected back to 1, menu_top
// kept), except that a new build stops after the first screen's items: finish_menu_items on
// the record's build parses the rest. A menu already built for the key is only finished.
void prepare_shown_page(Browser* browser, ShownPage* shown, int menu);

// Numbers the current page's content as the browser's next fetch. Whoever stores a content in
// a page calls it, so that no record made for an earlier content is taken for this one's.
void stamp_fetch(Browser* browser);
