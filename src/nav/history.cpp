// The history of visited pages: a doubly linked list reached through Browser::current.
#include "nav/history.hpp"

#include <new>

#include "app/fatal.hpp"
#include "gopher/bounded_copy.hpp"
#include "nav/shown_page.hpp"

namespace {

// Takes a page back from the list and frees it with its content.
void free_page(Page* page) {
    std::unique_ptr<Page> owned{page};
}

// The page left keeps where the user was on it; the page reached shows where they left it, or
// its top with the first link selected.
void step_to(Browser* browser, Page* page) {
    if (Page* left = browser->current) {
        left->selected = browser->selected;
        left->menu_top = browser->menu_top;
        left->text_top = browser->text_top;
    }
    browser->current = page;
    browser->selected = page->selected > 0 ? page->selected : 1;
    browser->menu_top = page->menu_top;
    browser->text_top = page->text_top;
}

} // namespace

Page* new_page(const char* host, int port, const char* selector, char type) {
    std::unique_ptr<Page> page;
    try {
        page = std::make_unique<Page>();
    } catch (const std::bad_alloc&) {
        fatal("Error: Failed to allocate memory for navigation state.");
    }
    copy_bounded(page->host, host, host_max);
    page->port = port;
    copy_bounded(page->selector, selector, selector_max);
    page->type = type;
    page->selected = 0;
    page->menu_top = 0;
    page->text_top = 0;
    // From here the list owns it; free_forward_history and free_history give it back.
    return page.release();
}

void free_forward_history(Page* page) {
    if (page == nullptr) {
        return;
    }
    // A loop, not recursion: a long history must not exhaust the stack.
    for (Page* newer = page->next; newer != nullptr;) {
        Page* next = newer->next;
        free_page(newer);
        newer = next;
    }
    page->next = nullptr;
}

void link_page(Browser* browser, Page* page) {
    if (Page* current = browser->current) {
        free_forward_history(current);
        current->next = page;
        page->prev = current;
    }
    step_to(browser, page);
}

void go_back(Browser* browser) {
    if (browser->current != nullptr && browser->current->prev != nullptr) {
        step_to(browser, browser->current->prev);
    }
}

void go_forward(Browser* browser) {
    if (browser->current != nullptr && browser->current->next != nullptr) {
        step_to(browser, browser->current->next);
    }
}

void push_page(Browser* browser, const char* host, int port, const char* selector, char type) {
    browser->pending.reset(new_page(host, port, selector, type));
    browser->reload_requested = 0;
}

void reload_page(Browser* browser) {
    browser->pending.reset();
    browser->reload_requested = browser->current != nullptr ? 1 : 0;
}

const Page* page_to_fetch(const Browser* browser) {
    if (browser->pending) {
        return browser->pending.get();
    }
    const Page* current = browser->current;
    if (current != nullptr && (browser->reload_requested || !current->content)) {
        return current;
    }
    return nullptr;
}

void accept_fetched(Browser* browser, Content content) {
    if (browser->pending) {
        browser->pending->content = std::move(content);
        link_page(browser, browser->pending.release());
    } else if (browser->current != nullptr) {
        browser->current->content = std::move(content);
    }
    stamp_fetch(browser);
    browser->reload_requested = 0;
}

void drop_fetch(Browser* browser) {
    browser->pending.reset();
    browser->reload_requested = 0;
}

void free_history(Page* page) {
    if (page == nullptr) {
        return;
    }
    while (page->prev != nullptr) {
        page = page->prev;
    }
    while (page != nullptr) {
        Page* next = page->next;
        free_page(page);
        page = next;
    }
}
