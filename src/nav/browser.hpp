// The browsing state of a run.
#pragma once

#include <memory>
#include <sys/ioctl.h>

#include "gopher/menu_item.hpp"
#include "nav/page.hpp"
#include "term/input_queue.hpp"

using MenuItems = std::unique_ptr<MenuItem[], FreeDeleter>;

struct Browser {
    Page* current; // the history is reached through it and freed with free_history
    MenuItems items;
    int item_count;
    int selectable_count;
    int selected; // ordinal of the selected item, from 1
    int menu_top; // index of the first item drawn
    int text_top; // lines skipped before the first line drawn
    int text_lines;
    int running;
    struct winsize winsize;
    // Asked for and not fetched yet: it enters the history only once its content has arrived.
    std::unique_ptr<Page> pending;
    int reload_requested; // the current page is to be fetched again; its content stays meanwhile
    InputQueue input;     // keys typed while a page was loading, read before the keyboard
};
