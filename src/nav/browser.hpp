// The browsing state of a run.
#pragma once

#include <memory>
#include <sys/ioctl.h>

#include "gopher/content.hpp"
#include "gopher/menu_item.hpp"
#include "nav/page.hpp"
#include "term/key_queue.hpp"

using MenuItems = std::unique_ptr<MenuItem[], FreeDeleter>;

struct Browser {
    Page* current;   // the history is reached through it and freed with free_history
    MenuItems items; // views into the content of the page they were built for
    int item_count;
    int selectable_count;
    int selected; // ordinal of the selected item, from 1
    int menu_top; // index of the first item drawn
    int text_top; // lines skipped before the first line drawn
    int text_lines;
    int running;
    struct winsize winsize;
    unsigned long fetches; // contents stored so far; numbers each page's content
    KeyQueue keys;         // typed and not yet taken: every reader of the keyboard shares it
    // Asked for and not fetched yet: it enters the history only once its content has arrived.
    std::unique_ptr<Page> pending;
    int reload_requested; // the current page is to be fetched again; its content stays meanwhile
    // A failed or cancelled fetch's words, shown on the bottom row over the next frame until
    // the next key; null for none. Always one of the program's own constant texts.
    const char* message;
};
