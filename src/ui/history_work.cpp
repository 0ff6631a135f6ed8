// The history page (`H`): the pages of the run, newest first, shown over the page on screen
// without joining the history; Enter opens an entry as a new visit, `b` or Esc closes it.
#include "ui/history_work.hpp"

#include <memory>
#include <string>
#include <vector>

#include "nav/history_page.hpp"
#include "nav/model.hpp"
#include "ui/marked_link.hpp"
#include "ui/page_on_screen.hpp"

namespace {

// The newest page of the list that page belongs to: the history page lists from there.
const Page* newest(const Page* page) {
    while (page != nullptr && page->next != nullptr) {
        page = page->next;
    }
    return page;
}

bool listed(const Page& page) {
    return page.kind == PageKind::gopher;
}

} // namespace

void open_history_page(Model* model) {
    History& history = model->history;
    if (history.below != nullptr || history.current == nullptr) {
        return;
    }
    leave_current_page(model);
    const Page* here = history.current;
    std::vector<HistoryEntry> entries;
    int here_ordinal = 0;
    for (const Page* page = newest(here); page != nullptr; page = page->prev) {
        entries.push_back({.type = page->address.type,
                           .selector = page->address.selector,
                           .host = page->address.host,
                           .port = page->address.port,
                           .display = page->display,
                           .here = page == here,
                           .listed = listed(*page)});
        if (listed(*page) && here_ordinal >= 0) {
            ++here_ordinal;
            if (page == here) {
                here_ordinal = -here_ordinal;
            }
        }
    }
    auto page = std::make_unique<Page>();
    page->kind = PageKind::history;
    // The mark starts on the page on screen.
    page->selected = here_ordinal < 0 ? -here_ordinal : 1;
    fill_page(&history, page.get(), history_menu(entries));
    cover_page(&history, std::move(page));
    show_current_page(model);
}

void close_history_page(Model* model) {
    if (model->history.below == nullptr) {
        return;
    }
    uncover_page(&model->history);
    show_current_page(model);
}

const Page* history_entry(const Model& model, int ordinal) {
    if (model.history.below == nullptr || ordinal < 1) {
        return nullptr;
    }
    int count = 0;
    for (const Page* page = newest(model.history.below); page != nullptr; page = page->prev) {
        if (listed(*page) && ++count == ordinal) {
            return page;
        }
    }
    return nullptr;
}

void open_history_entry(Model* model) {
    const MenuItem* item = marked_item(*model);
    if (item == nullptr) {
        return;
    }
    const Page* entry = history_entry(*model, item->ordinal);
    if (entry == nullptr) {
        return;
    }
    const Address address = entry->address;
    const std::string display = entry->display;
    close_history_page(model);
    push_page(&model->history, address, display);
}
