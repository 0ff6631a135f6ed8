// One Gopher transaction: look the host up, connect, shake hands over TLS for gophers://, send
// the selector, read until the server closes.
//
// The transaction never waits and never ends the program: it tells the event loop what it waits
// for (transaction_watch, transaction_deadline), and the loop steps it when that comes or its
// deadline passes, so keys, cancels and progress are answered between steps. The lookup runs on
// a thread of its own (gopher/resolver.hpp) and the addresses race as Happy Eyeballs has them
// (gopher/connector.hpp); TLS never waits either (gopher/tls_stream.hpp), and a TLS failure is
// the fetch's failure, never a retry in cleartext. A failure leaves the words of its message in
// the record; the caller decides whether it ends the run.
#pragma once

#include <chrono>
#include <cstddef>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

#include "gopher/address.hpp"
#include "gopher/connector.hpp"
#include "gopher/content.hpp"
#include "gopher/descriptor.hpp"
#include "gopher/resolver.hpp"
#include "gopher/tls_stream.hpp"

// All three lowered only by the build, for a test binary of their own.
#ifndef KESMOR_RESOLVE_TIMEOUT_MS
#define KESMOR_RESOLVE_TIMEOUT_MS 10000
#endif
#ifndef KESMOR_CONNECT_TIMEOUT_MS
#define KESMOR_CONNECT_TIMEOUT_MS 10000
#endif
#ifndef KESMOR_IDLE_TIMEOUT_MS
#define KESMOR_IDLE_TIMEOUT_MS 30000
#endif
// A name server that has not answered within this time is given up.
inline constexpr int resolve_timeout_ms = KESMOR_RESOLVE_TIMEOUT_MS;
// An address that accepts nothing within this time is given up; the others race on meanwhile.
// Over TLS the handshake must also be over by then.
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

// The words of each failure, exactly as the first page's fatal end prints them. A TLS failure
// has the library's words: "Error: TLS: REASON.".
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
    int resolve_timeout_ms = ::resolve_timeout_ms;
    int connect_timeout_ms = ::connect_timeout_ms;
    int idle_timeout_ms = receive_idle_timeout_ms;
    std::size_t response_cap = ::response_cap;
};

enum class TransactionState {
    resolving,   // the lookup runs on its thread
    connecting,  // attempts race, a new address every 250 ms
    handshaking, // connected over TLS; the handshake goes on as the socket allows
    sending,     // connected; the request goes out at the next step
    receiving,
    done,   // the buffer holds the response, NUL-terminated
    failed, // failure holds the message; nothing received is kept, unless the buffer was lent
};

struct Transaction {
    TransactionState state = TransactionState::resolving;
    std::string failure;
    // Lines of system errors met on the way ("socket: ..."), for standard error once the
    // terminal is given back; never written while the screen is the program's.
    std::string notes;
    TransactionLimits limits;
    // Dropping it abandons the lookup: its thread frees the result when it comes.
    Lookup lookup;
    Connector connector;
    std::string request;
    Descriptor socket; // once connected
    // gophers://: the host the certificate must name, and the stream over the socket. The
    // stream goes first, as it only borrows the socket.
    bool tls = false;
    std::string host;
    TlsStream stream;
    // What the stream waits for on the socket (POLLIN or POLLOUT); 0 when the next step is due
    // at once (decrypted bytes wait in the stream, or nothing has been tried yet).
    short tls_wants = 0;
    // Connecting and the handshake are given up together at this time.
    std::chrono::steady_clock::time_point connect_deadline;
    // When the lookup or the wait for the next byte is given up.
    std::chrono::steady_clock::time_point deadline;
    // What has arrived, NUL-terminated after every read, and how many bytes: in content and
    // used, or in the buffer and count they were lent to (lend_buffer), which then receive the
    // rest; used stays 0 then, so the count is held in one place.
    Content content;
    std::size_t used = 0;
    Content* into = nullptr;
    std::size_t* into_used = nullptr;
    std::size_t capacity = 0;
    // Bytes handed on by transaction_take: a download that goes to a file or a pipe as it
    // arrives keeps a small buffer, and the cap counts them too.
    std::size_t taken = 0;
    bool taking = false; // transaction_take was called: the buffer stops growing early
};

// Starts looking the host up. A numeric host (IPv4, or IPv6 without brackets) needs no lookup:
// its connection starts at once, and may be made or fail on return.
void begin_transaction(Transaction* transaction, const Address& address,
                       TransactionLimits limits = {});
// The same with the addresses (ports included) given: connecting starts at once.
void begin_transaction_to(Transaction* transaction, std::vector<SocketAddress> addresses,
                          std::string_view selector, TransactionLimits limits = {});

// Appends the descriptors the transaction waits on, with the events wanted: the lookup's, the
// racing attempts', or the socket's (none while the request is due or once it has ended).
void transaction_watch(const Transaction& transaction, std::vector<pollfd>* out);
// When it must be stepped though no descriptor is ready (time_point::min() when at once,
// max() when never).
[[nodiscard]] std::chrono::steady_clock::time_point
transaction_deadline(const Transaction& transaction);

// One step: fd one of the watched descriptors with revents as poll gave them, or -1 (revents
// 0) when only time has passed. Descriptors not its own are taken as time passing. Never waits.
void step_transaction(Transaction* transaction, int fd, short revents,
                      std::chrono::steady_clock::time_point now);

[[nodiscard]] bool transaction_finished(const Transaction& transaction);

// The bytes received since the last take (all of them once done), for a caller that writes
// them elsewhere as they arrive (a file, standard output): the buffer then starts empty again
// and stays small. A page never takes: its content is the whole response.
[[nodiscard]] std::string_view transaction_received(const Transaction& transaction);
void transaction_take(Transaction* transaction);
// Every byte received so far, taken or not.
[[nodiscard]] std::size_t transaction_total(const Transaction& transaction);
// The bytes received so far, terminated ("" before any buffer exists).
[[nodiscard]] const char* received_bytes(const Transaction& transaction);
// Moves the buffer to owner and its count to owner_used, and the rest of the response goes
// there: a page shown while it loads owns its bytes, and their count, from its first screen on.
// The owner must outlive the transfer, or the transaction must go first. A failure afterwards
// leaves what arrived in place.
void lend_buffer(Transaction* transaction, Content* owner, std::size_t* owner_used);

// Bytes written (then equal to length), or -1 after a write error other than EINTR.
[[nodiscard]] ssize_t write_all(int fd, const char* bytes, std::size_t length);
