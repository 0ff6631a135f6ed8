// A transaction run to its end by a poll loop of its own.
#include "support/transaction_driver.hpp"

#include <chrono>
#include <poll.h>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// Waits until a descriptor is ready or the deadline passes, then steps as the event loop does:
// once for each ready descriptor, once more if the deadline has passed. A wait cut short by a
// signal, or ending before the deadline, steps nothing.
void step_once(Transaction* transaction) {
    std::vector<pollfd> watched;
    transaction_watch(*transaction, &watched);
    const Clock::time_point deadline = transaction_deadline(*transaction);
    Clock::time_point now = Clock::now();
    int wait_ms = 0;
    if (deadline > now) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        // Rounded up, so that a wait that ends early does not spin until the deadline.
        wait_ms = left < 1000 ? static_cast<int>(left) + 1 : 1000;
    }
    const int ready = poll(watched.data(), watched.size(), wait_ms);
    now = Clock::now();
    for (const pollfd& entry : watched) {
        if (ready > 0 && entry.revents != 0) {
            step_transaction(transaction, entry.fd, entry.revents, now);
        }
    }
    if (now >= deadline) {
        step_transaction(transaction, -1, 0, now);
    }
}

} // namespace

void run_transaction(Transaction* transaction) {
    while (!transaction_finished(*transaction)) {
        step_once(transaction);
    }
}

Transaction receive_all(int fd, TransactionLimits limits) {
    Transaction t;
    t.limits = limits;
    t.socket = Descriptor{fd};
    t.state = TransactionState::sending; // an empty request: nothing goes out
    run_transaction(&t);
    return t;
}

int connect_first(std::vector<SocketAddress> addresses, int timeout_ms) {
    Transaction t;
    begin_transaction_to(&t, std::move(addresses), "", {.connect_timeout_ms = timeout_ms});
    while (t.state == TransactionState::connecting) {
        step_once(&t);
    }
    return t.state == TransactionState::sending ? t.socket.release() : -1;
}
