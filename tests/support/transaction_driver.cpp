// A transaction run to its end by a poll loop of its own.
#include "support/transaction_driver.hpp"

#include <chrono>
#include <poll.h>

namespace {

using Clock = std::chrono::steady_clock;

// Waits until the socket is ready or the deadline passes, as the event loop does, then steps.
// A wait cut short by a signal, or ending before the deadline, steps nothing.
void step_once(Transaction* transaction) {
    const TransactionWait wait = transaction_wait(*transaction);
    Clock::time_point now = Clock::now();
    int wait_ms = 0;
    if (wait.deadline > now) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(wait.deadline - now).count();
        // Rounded up, so that a wait that ends early does not spin until the deadline.
        wait_ms = left < 1000 ? static_cast<int>(left) + 1 : 1000;
    }
    pollfd entry{wait.fd, wait.events, 0};
    const int ready = poll(&entry, wait.fd >= 0 ? 1 : 0, wait_ms);
    now = Clock::now();
    if (ready > 0 && entry.revents != 0) {
        step_transaction(transaction, entry.revents, now);
    } else if (now >= wait.deadline) {
        step_transaction(transaction, 0, now);
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

int connect_first(const std::vector<in_addr>& addresses, int port, int timeout_ms) {
    Transaction t;
    begin_transaction_to(&t, addresses, port, "", {.connect_timeout_ms = timeout_ms});
    while (t.state == TransactionState::connecting) {
        step_once(&t);
    }
    return t.state == TransactionState::sending ? t.socket.release() : -1;
}
