// One Gopher transaction: connect, send the selector, read until the server closes.
//
// The transaction never waits and never ends the program: it tells the event loop what it waits
// for (transaction_wait), and the loop steps it when that comes or its deadline passes, so
// keys, cancels and progress are answered between steps. A failure leaves the words of its
// message in the record; the caller decides whether it ends the run.
#pragma once

#include <chrono>
#include <cstddef>
#include <netinet/in.h>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

#include "gopher/address.hpp"
#include "gopher/content.hpp"
#include "gopher/descriptor.hpp"

// Both lowered only by the build, for a test binary of their own.
#ifndef KESMOR_CONNECT_TIMEOUT_MS
#define KESMOR_CONNECT_TIMEOUT_MS 10000
#endif
#ifndef KESMOR_IDLE_TIMEOUT_MS
#define KESMOR_IDLE_TIMEOUT_MS 30000
#endif
// A server that accepts nothing within this time is given up, and the next address is tried.
inline constexpr int connect_timeout_ms = KESMOR_CONNECT_TIMEOUT_MS;
// A server that sends nothing for this long is given up; a slow one that keeps sending is not.
inline constexpr int receive_idle_timeout_ms = KESMOR_IDLE_TIMEOUT_MS;

#ifndef KESMOR_RESPONSE_CAP
#define KESMOR_RESPONSE_CAP 268435456
#endif
// Bytes a response may have: a server that never stops sending must not take all memory.
// Lowered only by the build (the KESMOR_RESPONSE_CAP cache variable), for tests.
inline constexpr std::size_t response_cap = KESMOR_RESPONSE_CAP;
static_assert(response_cap <= std::size_t{256} * 1024 * 1024 && response_cap > 0);

// The words of each failure, exactly as the first page's fatal end prints them.
namespace fetch_error {
inline constexpr const char* resolve = "Error: Failed to resolve host";
inline constexpr const char* connect = "Error: Could not connect to host";
inline constexpr const char* send = "Error: Failed to send the request.";
inline constexpr const char* allocate = "Error: Failed to allocate memory for receive buffer.";
inline constexpr const char* grow = "Error: Failed to reallocate memory for receive buffer.";
inline constexpr const char* read = "Error: Failed to read from socket.";
inline constexpr const char* too_large = "Error: Response too large.";
} // namespace fetch_error

// The program uses the defaults; tests shorten them.
struct TransactionLimits {
    int connect_timeout_ms = ::connect_timeout_ms;
    int idle_timeout_ms = receive_idle_timeout_ms;
    std::size_t response_cap = ::response_cap;
};

enum class TransactionState {
    connecting, // trying the addresses in order
    sending,    // connected; the request goes out at the next step
    receiving,
    done,   // the buffer holds the response, NUL-terminated
    failed, // failure holds the message; nothing received is kept, unless the buffer was lent
};

struct Transaction {
    TransactionState state = TransactionState::connecting;
    const char* failure = nullptr;
    // Lines of system errors met on the way ("socket: ..."), for standard error once the
    // terminal is given back; never written while the screen is the program's.
    std::string notes;
    TransactionLimits limits;
    std::vector<in_addr> addresses;
    std::size_t next_address = 0;
    int port = 0;
    std::string request;
    Descriptor socket;
    // When the connect attempt or the wait for the next byte is given up.
    std::chrono::steady_clock::time_point deadline;
    // What has arrived, NUL-terminated after every read: in content, or in the buffer it was
    // lent to (lend_buffer), which then receives the rest.
    Content content;
    Content* into = nullptr;
    std::size_t used = 0;
    std::size_t capacity = 0;
};

// Resolves the host (the one step that blocks until the resolver answers), then starts on the
// first address. A host that does not resolve leaves the transaction failed.
void begin_transaction(Transaction* transaction, const Address& address,
                       TransactionLimits limits = {});
// The same with the addresses given.
void begin_transaction_to(Transaction* transaction, std::vector<in_addr> addresses, int port,
                          std::string_view selector, TransactionLimits limits = {});

// What the transaction waits for: the socket (fd, -1 for none) becoming ready for events, or
// the deadline, whichever comes first.
struct TransactionWait {
    int fd;
    short events;
    std::chrono::steady_clock::time_point deadline;
};
[[nodiscard]] TransactionWait transaction_wait(const Transaction& transaction);

// One step, once the socket is ready (revents as poll gave them) or the deadline has passed
// (revents 0). Never waits.
void step_transaction(Transaction* transaction, short revents,
                      std::chrono::steady_clock::time_point now);

[[nodiscard]] bool transaction_finished(const Transaction& transaction);

// The bytes received so far, terminated ("" before any buffer exists).
[[nodiscard]] const char* received_bytes(const Transaction& transaction);
// Moves the buffer to owner, and the rest of the response goes there: a page shown while it
// loads owns its bytes from its first screen on. The owner must outlive the transfer, or the
// transaction must go first. A failure afterwards leaves what arrived in place.
void lend_buffer(Transaction* transaction, Content* owner);

// Bytes written (then equal to length), or -1 after a write error other than EINTR.
[[nodiscard]] ssize_t write_all(int fd, const char* bytes, std::size_t length);
