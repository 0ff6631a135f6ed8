// One entry of the history of visited pages.
#pragma once

#include <cstdlib>
#include <memory>

struct FreeDeleter {
    void operator()(void* p) const noexcept { std::free(p); }
};

// A NUL-terminated response from malloc/realloc, so it can grow in place while it arrives.
using Content = std::unique_ptr<char[], FreeDeleter>;

struct Page {
    char host[256];
    int port;
    char selector[1024];
    Content content; // null until fetched and after a reload
    char type;
    Page* prev; // older
    Page* next; // newer
};
