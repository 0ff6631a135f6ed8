// Fetching a page while the keyboard stays live: cancel with Esc or Ctrl-C, progress on the
// bottom row, every other key kept for the view.
#include "nav/fetch.hpp"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <span>

#include "term/terminal.hpp"
#include "ui/key_decoder.hpp"
#include "ui/page_frame.hpp"
#include "ui/status_line.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr unsigned char interrupt = 0x03;
// No deadline is due: waits are still bounded, so a signal's flag is seen soon.
constexpr int idle_wait_ms = 1000;

// The keyboard side of one fetch. Keys already queued when it begins were typed after the key
// that asked for the page (a burst such as Enter then Esc), so they are watched too.
struct KeyWatch {
    int fd;
    int scanned;                 // queued bytes already taken as whole keys
    Clock::time_point settle_at; // when a key still unfinished at `scanned` is taken as it is
};

bool cancels(const DecodedKey& key) {
    return key.key == Key::escape || (key.key == Key::byte && key.byte == interrupt);
}

// Walks the keys queued since the last look. True when one cancels; it leaves the queue, the
// keys around it stay. settled: nothing more is coming for the unfinished key at the end.
bool scan_keys(KeyQueue* queue, KeyWatch* watch, bool settled) {
    while (watch->scanned < queue->length) {
        unsigned char* at = queue->bytes.data() + watch->scanned;
        const auto left = static_cast<std::size_t>(queue->length - watch->scanned);
        const DecodedKey key = next_key(std::span<const unsigned char>{at, left}, settled);
        if (key.length == 0) {
            return false;
        }
        if (cancels(key)) {
            std::memmove(at, at + key.length, left - static_cast<std::size_t>(key.length));
            queue->length -= key.length;
            return true;
        }
        watch->scanned += key.length;
    }
    return false;
}

// Appends what was typed to the queue. True when it cancels the fetch.
bool take_typed(KeyWatch* watch, KeyQueue* queue) {
    const std::size_t room = queue->bytes.size() - static_cast<std::size_t>(queue->length);
    const ssize_t n = read(watch->fd, queue->bytes.data() + queue->length, room);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
        return false;
    }
    if (n <= 0) {
        watch->fd = -1;
        queue->ended = true;
        return scan_keys(queue, watch, true);
    }
    queue->length += static_cast<int>(n);
    watch->settle_at = Clock::now() + milliseconds(escape_wait_ms);
    return scan_keys(queue, watch, false);
}

// The queue is full: what is typed now has no room and is lost (a paste while a page loads can
// do that), but Esc and Ctrl-C in it still cancel. True when one does.
bool take_overflow(KeyWatch* watch, KeyQueue* queue) {
    std::array<unsigned char, 64> scratch{};
    const ssize_t n = read(watch->fd, scratch.data(), scratch.size());
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
        return false;
    }
    if (n <= 0) {
        watch->fd = -1;
        queue->ended = true;
        return false;
    }
    std::span<const unsigned char> left{scratch.data(), static_cast<std::size_t>(n)};
    while (!left.empty()) {
        const DecodedKey key = next_key(left, true);
        if (cancels(key)) {
            return true;
        }
        left = left.subspan(static_cast<std::size_t>(key.length));
    }
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

FetchResult fetch_address(Browser* browser, ShownPage* shown, const char* host, int port,
                          const char* selector, const FetchWatch& watch) {
    FetchResult result;
    Transaction t;
    const Clock::time_point start = Clock::now();
    begin_transaction(&t, host, port, selector, watch.limits);
    KeyQueue* queue = &browser->keys;
    KeyWatch keys{queue->ended ? -1 : watch.input_fd, 0,
                  Clock::now() + milliseconds(escape_wait_ms)};
    Clock::time_point next_draw = start + milliseconds(progress_delay_ms);
    std::string drawn;
    while (!finished(t)) {
        const bool unsettled = keys.scanned < queue->length;
        Clock::time_point wake = watch.show_progress ? next_draw : Clock::time_point::max();
        if (unsettled && keys.settle_at < wake) {
            wake = keys.settle_at;
        }
        const int wait_ms = wake == Clock::time_point::max() ? idle_wait_ms : ms_until(wake);
        const bool room = queue->length < static_cast<int>(queue->bytes.size());
        bool cancel = false;
        if (advance_transaction(&t, wait_ms, keys.fd)) {
            cancel = room ? take_typed(&keys, queue) : take_overflow(&keys, queue);
        }
        const Clock::time_point now = Clock::now();
        if (!cancel && keys.scanned < queue->length && now >= keys.settle_at) {
            cancel = scan_keys(queue, &keys, true);
        }
        if (cancel) {
            result.status = FetchStatus::cancelled;
            result.message = cancelled_message;
            result.notes = std::move(t.notes);
            return result;
        }
        if (take_pending_resize(&browser->winsize)) {
            // The page being left, at the new size.
            draw_page_frame(browser, shown);
            if (!drawn.empty()) {
                draw_fetch_progress(browser->winsize, drawn);
            }
        }
        if (watch.show_progress && now >= next_draw && !finished(t)) {
            const std::string text = t.state == TransactionState::connecting
                                         ? connecting_text(host, port)
                                         : receiving_text(t.used);
            if (text != drawn) {
                draw_fetch_progress(browser->winsize, text);
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
        result.message = t.failure;
    }
    return result;
}
