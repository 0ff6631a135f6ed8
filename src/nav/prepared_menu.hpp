// The items of the menu shown last, kept while its content stays the same.
#pragma once

#include "nav/browser.hpp"

// The content the browser's items were built from, or null. Only a fetch can put new bytes at
// the address of a content seen before, so between fetches the same address means the same
// menu: the items still hold, and a pass needs only what a new build would reset.
struct PreparedMenu {
    const char* content = nullptr;
};

// Leaves the browser as build_menu_items with the current page's content would, except that a
// new build stops after the items of the first screen: finish_menu_items parses the rest.
void prepare_menu(Browser* browser, PreparedMenu* prepared);

// To be called on every fetch.
void forget_prepared_menu(PreparedMenu* prepared);
