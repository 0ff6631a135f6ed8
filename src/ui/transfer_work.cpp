// A transfer in the model: started, stepped by the loop's events, its progress row kept, and
// what it waits for told to the loop.
#include "ui/transfer_work.hpp"

#include <algorithm>
#include <poll.h>
#include <utility>
#include <vector>

#include "ui/waits.hpp"

using Clock = std::chrono::steady_clock;

Transfer& begin_transfer(std::optional<Transfer>* transfer, const Address& address,
                         TransactionLimits limits, Clock::time_point now) {
    Transfer& started = transfer->emplace();
    started.next_progress = now + std::chrono::milliseconds(progress_delay_ms);
    begin_transaction(&started.transaction, address, limits);
    return started;
}

void step_transfer(Transfer* transfer, int fd, short revents, Clock::time_point now) {
    Transaction& t = transfer->transaction;
    if (fd >= 0 || now >= transaction_deadline(t)) {
        step_transaction(&t, fd, revents, now);
    }
}

bool progress_due(Transfer* transfer, Clock::time_point now) {
    if (now < transfer->next_progress) {
        return false;
    }
    transfer->next_progress = now + std::chrono::milliseconds(progress_interval_ms);
    return true;
}

bool show_progress(Transfer* transfer, std::string text) {
    if (text == transfer->progress) {
        return false;
    }
    transfer->progress = std::move(text);
    return true;
}

void add_transfer_waits(const Transfer& transfer, TransferKind kind, Waits* waits) {
    std::vector<pollfd> watched;
    transaction_watch(transfer.transaction, &watched);
    for (const pollfd& entry : watched) {
        waits->fds.push_back({entry.fd, entry.events, kind});
    }
    waits->deadline = std::min(
        {waits->deadline, transaction_deadline(transfer.transaction), transfer.next_progress});
}
