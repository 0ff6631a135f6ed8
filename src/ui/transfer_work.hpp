// A transfer in the model: started, stepped by the loop's events, its progress row kept, and
// what it waits for told to the loop. The fetch, the save and plain output each do the rest.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "gopher/transaction.hpp"
#include "nav/transfer.hpp"

struct Address;
struct Waits;

// A new transfer in place of any before, its transaction begun (it may have ended at once:
// a host that does not resolve).
Transfer& begin_transfer(std::optional<Transfer>* transfer, const Address& address,
                         TransactionLimits limits, std::chrono::steady_clock::time_point now);
// One step: fd a descriptor of its own that poll found ready (with revents), or -1 when only
// time has passed, and then it steps once its deadline has come.
void step_transfer(Transfer* transfer, int fd, short revents,
                   std::chrono::steady_clock::time_point now);
// True when the progress row is due for a look now; the next look is then set.
[[nodiscard]] bool progress_due(Transfer* transfer, std::chrono::steady_clock::time_point now);
// The progress row's new text; true when the row changed.
bool show_progress(Transfer* transfer, std::string text);
// Its descriptors, marked as its own, and its deadlines.
void add_transfer_waits(const Transfer& transfer, TransferKind kind, Waits* waits);
