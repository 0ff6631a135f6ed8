// The history of visited pages: a doubly linked list reached through History::current.
#include "nav/history.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "gopher/fields.hpp"

namespace {

// Takes a page back from the list and frees it with its content.
void free_page(Page* page) {
    std::unique_ptr<Page> owned{page};
}

} // namespace

History::~History() {
    uncover_page(this);
    free_history(current);
}

Page* new_page(const Address& address) {
    // Memory running out ends the run in the new handler (install_out_of_memory_handler).
    auto page = std::make_unique<Page>();
    page->address = address;
    // As the parser and the menu cut them: a record never holds more.
    page->address.host.resize(std::min(page->address.host.size(), host_max));
    page->address.selector.resize(std::min(page->address.selector.size(), selector_max));
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

void link_page(History* history, Page* page) {
    if (Page* current = history->current) {
        free_forward_history(current);
        current->next = page;
        page->prev = current;
    }
    history->current = page;
}

bool go_back(History* history) {
    if (history->current == nullptr || history->current->prev == nullptr) {
        return false;
    }
    history->current = history->current->prev;
    return true;
}

bool go_forward(History* history) {
    if (history->current == nullptr || history->current->next == nullptr) {
        return false;
    }
    history->current = history->current->next;
    return true;
}

void push_page(History* history, const Address& address, std::string_view display) {
    history->pending.reset(new_page(address));
    history->pending->display = display;
    history->reload_requested = false;
}

void fill_page(History* history, Page* page, std::string_view bytes) {
    auto* buffer = static_cast<char*>(std::malloc(bytes.size() + 1));
    if (buffer == nullptr) {
        // Memory running out ends the run in the new handler, as anywhere else.
        if (const std::new_handler handler = std::get_new_handler()) {
            handler();
        }
        std::abort();
    }
    if (!bytes.empty()) {
        std::memcpy(buffer, bytes.data(), bytes.size());
    }
    buffer[bytes.size()] = '\0';
    page->content = Content{buffer};
    page->size = bytes.size();
    page->fetch = ++history->fetches;
}

void cover_page(History* history, std::unique_ptr<Page> page) {
    uncover_page(history);
    history->below = history->current;
    history->current = page.release();
}

void uncover_page(History* history) {
    if (history->below == nullptr) {
        return;
    }
    free_page(history->current);
    history->current = history->below;
    history->below = nullptr;
}

void reload_page(History* history) {
    history->pending.reset();
    history->reload_requested = history->current != nullptr;
}

const Page* page_to_fetch(const History* history) {
    if (history->pending) {
        return history->pending.get();
    }
    const Page* current = history->current;
    if (current != nullptr && (history->reload_requested || !current->content)) {
        return current;
    }
    return nullptr;
}

void accept_fetched(History* history, Content content, std::size_t size) {
    if (size == SIZE_MAX) {
        size = content ? std::strlen(content.get()) : 0;
    }
    if (history->pending) {
        history->pending->content = std::move(content);
        link_page(history, history->pending.release());
    } else if (history->current != nullptr) {
        history->current->content = std::move(content);
    }
    if (history->current != nullptr) {
        history->current->fetch = ++history->fetches;
        history->current->size = size;
    }
    history->reload_requested = false;
}

void drop_fetch(History* history) {
    history->pending.reset();
    history->reload_requested = false;
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
