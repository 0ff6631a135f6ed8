// The fetch in flight in the model: started when a page is asked for, stepped by the loop's
// events, cancelled by Esc or Ctrl-C, and ended into the history or a message.
#include "ui/fetch_work.hpp"

#include <algorithm>
#include <string>
#include <utility>

#include "nav/model.hpp"
#include "ui/page_on_screen.hpp"
#include "ui/status_line.hpp"
#include "ui/waits.hpp"

namespace {

using Clock = std::chrono::steady_clock;

void end_fetch(Model* model) {
    Fetch& fetch = model->fetch;
    Transaction& t = fetch.transaction;
    fetch.active = false;
    fetch.progress.clear();
    if (t.state == TransactionState::done) {
        leave_current_page(model);
        accept_fetched(&model->history, std::move(t.content), t.used);
        t = Transaction{};
        show_current_page(model);
        return;
    }
    // The first page has nothing to go back to: its failure ends the run.
    if (model->history.current == nullptr) {
        model->fatal_message = t.failure;
        model->fatal_notes = std::move(t.notes);
        model->running = false;
    } else {
        drop_fetch(&model->history);
        model->message = t.failure;
    }
    t = Transaction{};
}

} // namespace

bool wants_fetch(const Model& model) {
    return model.running && !model.fetch.active && page_to_fetch(&model.history) != nullptr;
}

void start_fetch(Model* model, Clock::time_point now) {
    const Page* page = page_to_fetch(&model->history);
    if (page == nullptr || model->fetch.active) {
        return;
    }
    Fetch& fetch = model->fetch;
    fetch.transaction = Transaction{};
    fetch.active = true;
    fetch.progress.clear();
    fetch.next_progress = now + std::chrono::milliseconds(progress_delay_ms);
    begin_transaction(&fetch.transaction, page->address, fetch.limits);
    if (transaction_finished(fetch.transaction)) {
        end_fetch(model);
    }
}

void cancel_fetch(Model* model) {
    if (!model->fetch.active) {
        return;
    }
    model->fetch.active = false;
    model->fetch.progress.clear();
    std::string notes = std::move(model->fetch.transaction.notes);
    model->fetch.transaction = Transaction{};
    if (model->history.current == nullptr) {
        model->fatal_message = cancelled_message;
        model->fatal_notes = std::move(notes);
        model->running = false;
        return;
    }
    drop_fetch(&model->history);
    model->message = cancelled_message;
}

bool step_fetch(Model* model, int fd, short revents, Clock::time_point now) {
    Fetch& fetch = model->fetch;
    if (!fetch.active) {
        return false;
    }
    Transaction& t = fetch.transaction;
    const TransactionWait wanted = transaction_wait(t);
    if (fd >= 0 && fd == wanted.fd) {
        step_transaction(&t, revents, now);
    } else if (now >= wanted.deadline) {
        step_transaction(&t, 0, now);
    }
    if (transaction_finished(t)) {
        end_fetch(model);
        return true;
    }
    if (now < fetch.next_progress) {
        return false;
    }
    fetch.next_progress = now + std::chrono::milliseconds(progress_interval_ms);
    const Page* page = page_to_fetch(&model->history);
    std::string text = t.state == TransactionState::connecting
                           ? connecting_text(page->address.host, page->address.port)
                           : receiving_text(t.used);
    if (text == fetch.progress) {
        return false;
    }
    fetch.progress = std::move(text);
    return true;
}

void add_fetch_waits(const Model& model, Waits* waits) {
    const Fetch& fetch = model.fetch;
    if (!fetch.active) {
        return;
    }
    const TransactionWait wanted = transaction_wait(fetch.transaction);
    if (wanted.fd >= 0) {
        waits->fds.push_back({wanted.fd, wanted.events});
    }
    waits->deadline = std::min({waits->deadline, wanted.deadline, fetch.next_progress});
}
