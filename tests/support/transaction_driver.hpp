// A transaction run to its end by a poll loop of its own: for tests and benchmarks, which have no
// event loop to step it.
#pragma once

#include <vector>

#include "gopher/resolver.hpp"
#include "gopher/transaction.hpp"

// Steps until the transaction is done or failed, watching nothing else.
void run_transaction(Transaction* transaction);

// Reads fd, which it takes over, until end of stream as a transaction does once the request is
// sent: done with the content, or failed.
[[nodiscard]] Transaction receive_all(int fd, TransactionLimits limits = {});

// Races the addresses as a transaction does; the first socket that connects (the caller's to
// close), or -1.
[[nodiscard]] int connect_first(std::vector<SocketAddress> addresses,
                                int timeout_ms = connect_timeout_ms);
