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
};
