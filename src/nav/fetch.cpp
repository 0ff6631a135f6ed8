// Fetching a page while the keyboard stays live: cancel with Esc or Ctrl-C, progress on the
// bottom row, every other key kept for the view.
#include "nav/fetch.hpp"

#include <cerrno>
#include <chrono>
#include <tuple>

#include "app/fatal.hpp"
#include "nav/history.hpp"
#include "term/terminal.hpp"
#include "ui/status_line.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr unsigned char esc = 0x1b;
constexpr unsigned char interrupt = 0x03;
// No deadline is due: waits are still bounded, so a signal's flag is seen soon.
constexpr int idle_wait_ms = 1000;

// The keyboard side of one fetch.
struct KeyWatch {
    int fd;
    bool escape_pending; // an ESC was the last byte read; its followers may still come
    Clock::time_point escape_deadline;
};

// Reads what was typed. Returns true when it cancels the fetch.
bool take_typed(KeyWatch* watch, InputQueue* queue) {
    unsigned char bytes[64];
    const ssize_t n = read(watch->fd, bytes, sizeof bytes);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
        return false;
    }
    if (n <= 0) {
        watch->fd = -1;
        return false;
    }
    const auto count = static_cast<std::size_t>(n);
    if (watch->escape_pending) {
        // More bytes came: the ESC began a sequence.
        queue_input(queue, &esc, 1);
        watch->escape_pending = false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (bytes[i] == interrupt) {
            queue_input(queue, bytes, i);
            return true;
        }
    }
    if (bytes[count - 1] == esc) {
        queue_input(queue, bytes, count - 1);
        watch->escape_pending = true;
        watch->escape_deadline = Clock::now() + milliseconds(escape_wait_ms);
        return false;
    }
    queue_input(queue, bytes, count);
    return false;
}

int ms_until(Clock::time_point when) {
    const auto left = std::chrono::duration_cast<milliseconds>(when - Clock::now()).count();
    if (left <= 0) {
        return 0;
    }
    return left < idle_wait_ms ? static_cast<int>(left) + 1 : idle_wait_ms;
}

bool finished(const Transaction& t) {
    return t.state == TransactionState::done || t.state == TransactionState::failed;
}

} // namespace

FetchResult fetch_address(Browser* browser, const char* host, int port, const char* selector,
                          const FetchWatch& watch) {
    FetchResult result;
    Transaction t;
    const Clock::time_point start = Clock::now();
    begin_transaction(&t, host, port, selector, watch.limits);
    KeyWatch keys{watch.input_fd, false, {}};
    Clock::time_point next_draw = start + milliseconds(progress_delay_ms);
    std::string drawn;
    while (!finished(t)) {
        Clock::time_point wake = watch.show_progress ? next_draw : Clock::time_point::max();
        if (keys.escape_pending && keys.escape_deadline < wake) {
            wake = keys.escape_deadline;
        }
        const int wait_ms = wake == Clock::time_point::max() ? idle_wait_ms : ms_until(wake);
        bool cancel = false;
        if (advance_transaction(&t, wait_ms, keys.fd)) {
            cancel = take_typed(&keys, &browser->input);
        }
        const Clock::time_point now = Clock::now();
        if (keys.escape_pending && now >= keys.escape_deadline) {
            cancel = true;
        }
        if (cancel) {
            result.status = FetchStatus::cancelled;
            result.message = cancelled_message;
            result.notes = std::move(t.notes);
            return result;
        }
        if (watch.show_progress && now >= next_draw && !finished(t)) {
            const std::string text = t.state == TransactionState::connecting
                                         ? connecting_text(host, port)
                                         : receiving_text(t.used);
            if (text != drawn) {
                // The row as it is now; a resize stays pending for the view.
                winsize size = browser->winsize;
                query_window_size(&size);
                draw_fetch_progress(size, text);
                drawn = text;
            }
            next_draw = now + milliseconds(progress_interval_ms);
        }
    }
    result.notes = std::move(t.notes);
    if (t.state == TransactionState::done) {
        result.status = FetchStatus::done;
        result.content = std::move(t.content);
    } else {
        result.status = FetchStatus::failed;
        result.message = t.failure;
    }
    return result;
}

void fetch_page(Browser* browser) {
    const Page* page = page_to_fetch(browser);
    if (page == nullptr) {
        return;
    }
    FetchResult result = fetch_address(browser, page->host, page->port, page->selector);
    if (result.status != FetchStatus::done) {
        fatal_after(result.notes, result.message);
    }
    accept_fetched(browser, std::move(result.content));
}
