// The fetch in flight in the model: started when a page is asked for, stepped by the loop's
// events, shown from its first screen on while the rest arrives, cancelled by Esc or Ctrl-C,
// and ended into the history or a message.
#include "ui/fetch_work.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "gopher/fields.hpp"
#include "gopher/menu.hpp"
#include "nav/line_count.hpp"
#include "nav/model.hpp"
#include "ui/page_on_screen.hpp"
#include "ui/prompt.hpp"
#include "ui/status_line.hpp"
#include "ui/transfer_work.hpp"
#include "ui/waits.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Bytes received so far: the transaction's count, or the page's once its buffer is lent.
std::size_t received(const Transaction& t) {
    return transaction_received(t).size();
}

// LFs in the bytes received since the last look.
void count_received(Fetch* fetch) {
    const Transaction& t = fetch->transfer->transaction;
    const std::size_t used = received(t);
    if (used > fetch->counted) {
        fetch->newlines += newlines_in(received_bytes(t) + fetch->counted, used - fetch->counted);
        fetch->counted = used;
    }
}

// Whether the page asked for can be shown: its whole response is there, or enough of it for
// the first screen at the place it keeps. A page whose kind its first line decides waits for
// that line.
bool first_screen_arrived(const Model& model) {
    const Fetch& fetch = model.fetch;
    const Transaction& t = fetch.transfer->transaction;
    if (t.state == TransactionState::done) {
        return true;
    }
    const std::size_t used = received(t);
    if (t.state != TransactionState::receiving || used == 0) {
        return false;
    }
    const Page* page = page_to_fetch(&model.history);
    const char* bytes = received_bytes(t);
    const char type = page->address.type;
    if ((type == '\0' || type == '1' || type == '7') && used < display_max &&
        std::memchr(bytes, '\n', used) == nullptr) {
        return false;
    }
    const bool menu = content_is_menu(type, bytes);
    const long top = menu ? page->menu_top : page->text_top;
    return static_cast<long>(fetch.newlines) >= top + rows_of(model);
}

// The page asked for takes the place of the page left (or of its old content, on a reload),
// and the rest of the response goes into its content.
void show_first_screen(Model* model) {
    Fetch& fetch = model->fetch;
    leave_current_page(model);
    fetch.kept.reset();
    if (Page* old = model->history.current; old != nullptr && !model->history.pending) {
        fetch.kept =
            KeptPage{std::move(old->content), old->size,     old->fetch,    old->incomplete,
                     old->selected,           old->menu_top, old->text_top, old->text_row};
    }
    accept_fetched(&model->history, Content{});
    Page* page = model->history.current;
    page->incomplete = false;
    lend_buffer(&fetch.transfer->transaction, &page->content, &page->size);
    fetch.filling = page;
    show_current_page(model);
}

// The transfer is over, whatever ended it: the page keeps what arrived, whole or cut, and its
// count, which the transaction kept in the page.
void stop_filling(Model* model, bool complete) {
    Fetch& fetch = model->fetch;
    Page* page = fetch.filling;
    fetch.filling = nullptr;
    fetch.transfer.reset();
    if (page == nullptr) {
        return;
    }
    if (fetch.kept && !complete) {
        // A reload that did not finish: the page as it was, where it was.
        KeptPage& kept = *fetch.kept;
        page->content = std::move(kept.content);
        page->size = kept.size;
        page->fetch = kept.fetch;
        page->incomplete = kept.incomplete;
        page->selected = kept.selected;
        page->menu_top = kept.menu_top;
        page->text_top = kept.text_top;
        page->text_row = kept.text_row;
        fetch.kept.reset();
        if (page == model->history.current) {
            show_current_page(model);
        }
        return;
    }
    fetch.kept.reset();
    page->incomplete = !complete;
    if (page == model->history.current) {
        page_loaded(model);
    }
}

// A page cut short says so, unless it is a reload that gives the old page back.
std::string cut_short(const Fetch& fetch, std::string_view reason) {
    std::string text(reason);
    if (!fetch.kept) {
        text += incomplete_note;
    }
    return text;
}

void end_fetch(Model* model) {
    Fetch& fetch = model->fetch;
    if (fetch.filling != nullptr) {
        const Transaction& t = fetch.transfer->transaction;
        const bool complete = t.state == TransactionState::done;
        if (!complete) {
            model->message = error_message(cut_short(fetch, t.failure));
        }
        stop_filling(model, complete);
        return;
    }
    Transaction& t = fetch.transfer->transaction;
    if (t.state == TransactionState::done) {
        leave_current_page(model);
        accept_fetched(&model->history, std::move(t.content), t.used);
        model->history.current->incomplete = false;
        fetch.transfer.reset();
        show_current_page(model);
        return;
    }
    // The first page has nothing to go back to: its failure ends the run.
    if (model->history.current == nullptr) {
        model->end = failed_run(t.failure, std::move(t.notes));
    } else {
        drop_fetch(&model->history);
        model->message = error_message(t.failure);
    }
    fetch.transfer.reset();
}

// Progress on the bottom row from progress_delay_ms on. True when its text changed.
bool fetch_progress(Model* model, Clock::time_point now) {
    Fetch& fetch = model->fetch;
    Transfer& transfer = *fetch.transfer;
    if (!progress_due(&transfer, now)) {
        return false;
    }
    const Transaction& t = transfer.transaction;
    const Page* page = fetch.filling != nullptr ? fetch.filling : page_to_fetch(&model->history);
    std::string text;
    if (t.state == TransactionState::resolving) {
        text = looking_up_text(page->address.host);
    } else if (t.state == TransactionState::connecting ||
               t.state == TransactionState::handshaking) {
        text = connecting_text(page->address.host, page->address.port);
    } else {
        text = receiving_text(received(t));
    }
    return show_progress(&transfer, std::move(text));
}

} // namespace

void ask_for_page(Model* model, const Address& address, std::string_view display) {
    if (address.type == '7' && address.selector.find('\t') == std::string::npos) {
        open_prompt(&model->overlay, PromptKind::search, "", model->window,
                    QueryFor{address, std::string(display)});
        return;
    }
    push_page(&model->history, address, display);
}

void drop_asked_search(Model* model) {
    if (model->history.current == nullptr) {
        model->end = failed_run(cancelled_message, "");
        return;
    }
    model->message = error_message(cancelled_message);
}

bool wants_fetch(const Model& model) {
    return !model.end && !model.fetch.transfer && page_to_fetch(&model.history) != nullptr;
}

bool keys_held(const Fetch& fetch) {
    return fetch.transfer && fetch.filling == nullptr;
}

bool page_loading(const Model& model) {
    return model.fetch.filling != nullptr && model.fetch.filling == model.history.current;
}

void start_fetch(Model* model, Clock::time_point now) {
    const Page* page = page_to_fetch(&model->history);
    if (page == nullptr || model->fetch.transfer) {
        return;
    }
    Fetch& fetch = model->fetch;
    fetch.filling = nullptr;
    fetch.kept.reset();
    fetch.counted = 0;
    fetch.newlines = 0;
    fetch.next_frame = now;
    fetch.frame_due = false;
    const Transfer& transfer = begin_transfer(&fetch.transfer, page->address, model->limits, now);
    if (transaction_finished(transfer.transaction)) {
        end_fetch(model);
    }
}

void cancel_fetch(Model* model) {
    Fetch& fetch = model->fetch;
    if (!fetch.transfer) {
        return;
    }
    if (fetch.filling != nullptr) {
        model->message = error_message(cut_short(fetch, cancelled_message));
        stop_filling(model, false);
        return;
    }
    std::string notes = std::move(fetch.transfer->transaction.notes);
    fetch.transfer.reset();
    if (model->history.current == nullptr) {
        model->end = failed_run(cancelled_message, std::move(notes));
        return;
    }
    drop_fetch(&model->history);
    model->message = error_message(cancelled_message);
}

void leave_loading_page(Model* model) {
    Fetch& fetch = model->fetch;
    if (fetch.filling == nullptr) {
        return;
    }
    const bool left =
        fetch.filling != model->history.current || page_to_fetch(&model->history) != nullptr;
    if (left) {
        stop_filling(model, false);
    }
}

bool step_fetch(Model* model, int fd, short revents, Clock::time_point now) {
    Fetch& fetch = model->fetch;
    if (!fetch.transfer) {
        return false;
    }
    const Transaction& t = fetch.transfer->transaction;
    const auto before = reinterpret_cast<std::uintptr_t>(received_bytes(t));
    const std::size_t used = received(t);
    step_transfer(&*fetch.transfer, fd, revents, now);
    // The buffer may have moved when it grew: nothing is read through the old address.
    const bool moved = reinterpret_cast<std::uintptr_t>(received_bytes(t)) != before;
    count_received(&fetch);
    if (fetch.filling == nullptr) {
        if (transaction_finished(t)) {
            end_fetch(model);
            return true;
        }
        if (first_screen_arrived(*model)) {
            show_first_screen(model);
            fetch.next_frame = now + milliseconds(loading_frame_ms);
            return true;
        }
        return fetch_progress(model, now);
    }
    if (transaction_finished(t)) {
        end_fetch(model);
        return true;
    }
    bool frame = fetch_progress(model, now);
    if (received(t) != used || moved) {
        page_grew(model);
        fetch.frame_due = true;
    }
    if (fetch.frame_due && now >= fetch.next_frame) {
        fetch.next_frame = now + milliseconds(loading_frame_ms);
        fetch.frame_due = false;
        frame = true;
    }
    return frame;
}

void add_fetch_waits(const Fetch& fetch, Waits* waits) {
    if (!fetch.transfer) {
        return;
    }
    add_transfer_waits(*fetch.transfer, TransferKind::fetch, waits);
    if (fetch.frame_due) {
        waits->deadline = std::min(waits->deadline, fetch.next_frame);
    }
}
