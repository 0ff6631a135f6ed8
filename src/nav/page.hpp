// One entry of the history of visited pages.
#pragma once

#include "gopher/content.hpp"
#include "gopher/fields.hpp"

struct Page {
    char host[host_room];
    int port;
    char selector[selector_room];
    Content content; // null until fetched and after a reload
    char type;
    Page* prev; // older
    Page* next; // newer
    // The fetch that gave the content (Browser::fetches then), 0 for none: with the page it
    // names one content, whatever address its bytes have.
    unsigned long fetch;
    // Where the user left it, shown again on back and forward: the selected link's ordinal
    // (0 for the first link) and the first row of a menu, the first line of a text.
    int selected;
    int menu_top;
    int text_top;
};
