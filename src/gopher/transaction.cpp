// One Gopher transaction: look the host up, connect, shake hands over TLS for gophers://, send
// the selector, read until the server closes.
#include "gopher/transaction.hpp"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <span>
#include <string_view>
#include <sys/socket.h>
#include <tuple>
#include <unistd.h>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t first_capacity = 4096;
// A buffer whose bytes are taken after each step needs no more than a few reads' worth.
constexpr std::size_t taken_capacity_max = std::size_t{1} << 18;
constexpr std::size_t receive_step_bytes = std::size_t{4} << 20;

Content& transaction_buffer(Transaction* t) {
    return t->into != nullptr ? *t->into : t->content;
}

// The count of the bytes in the buffer, wherever the buffer is.
std::size_t& buffer_used(Transaction* t) {
    return t->into_used != nullptr ? *t->into_used : t->used;
}

void fail(Transaction* t, std::string message) {
    t->state = TransactionState::failed;
    t->failure = std::move(message);
    abandon_lookup(t->lookup);
    t->connector = Connector{};
    t->stream = TlsStream{};
    t->socket.reset();
    if (t->into == nullptr) {
        t->content.reset();
        t->used = 0;
        t->capacity = 0;
    }
    // A buffer lent to a page keeps what arrived, terminated.
}

void set_blocking(int fd, bool blocking) {
    const int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK);
}

// The connector's notes belong to the fetch, whatever becomes of the connection.
void take_connector_notes(Transaction* t) {
    t->notes += t->connector.notes;
    t->connector.notes.clear();
}

// Moves on from connecting once the race is won or lost.
void after_connector(Transaction* t) {
    take_connector_notes(t);
    Connector& c = t->connector;
    if (c.state == ConnectorState::connected) {
        t->socket = take_connection(c);
        c = Connector{};
        if (t->tls) {
            // TLS stays non-blocking throughout: the handshake and every read or write may
            // want the socket either way.
            std::string failure;
            if (!tls_start(&t->stream, t->socket.fd, t->host, &failure)) {
                fail(t, std::move(failure));
                return;
            }
            t->tls_wants = 0;
            t->state = TransactionState::handshaking;
            return;
        }
        set_blocking(t->socket.fd, true);
        t->state = TransactionState::sending;
    } else if (c.state == ConnectorState::failed) {
        fail(t, fetch_error::connect);
    }
}

void start_connecting(Transaction* t, std::vector<SocketAddress> addresses, Clock::time_point now) {
    t->state = TransactionState::connecting;
    t->connect_deadline = now + std::chrono::milliseconds(t->limits.connect_timeout_ms);
    start_connector(t->connector, std::move(addresses), t->limits.connect_timeout_ms, now);
    after_connector(t);
}

// Takes the lookup's result once it is in; gives the lookup up at its bound.
void step_resolving(Transaction* t, Clock::time_point now) {
    if (std::optional<LookupResult> result = take_lookup_result(t->lookup)) {
        if (result->addresses.empty()) {
            // The resolver's reason goes with the failure, as the connector's do.
            t->notes += lookup_failure_note(*result);
            fail(t, fetch_error::resolve);
        } else {
            start_connecting(t, std::move(result->addresses), now);
        }
        return;
    }
    if (now >= t->deadline) {
        abandon_lookup(t->lookup);
        fail(t, fetch_error::resolve);
    }
}

void step_connecting(Transaction* t, int fd, short revents, Clock::time_point now) {
    const pollfd ready{fd, POLLOUT, revents};
    connector_step(t->connector, std::span<const pollfd>(&ready, fd >= 0 && revents != 0 ? 1 : 0),
                   now);
    after_connector(t);
}

// What the TLS layer wants next on the socket, for the loop's poll; false after a failure.
bool tls_waits(Transaction* t, const TlsResult& result, const char* socket_failure) {
    switch (result.status) {
    case TlsStatus::want_read:
        t->tls_wants = POLLIN;
        return true;
    case TlsStatus::want_write:
        t->tls_wants = POLLOUT;
        return true;
    case TlsStatus::failed:
        fail(t, result.failure.empty() ? std::string(socket_failure) : result.failure);
        return false;
    case TlsStatus::done:
    case TlsStatus::closed:
        break;
    }
    return false;
}

// Whether a step of a TLS state has anything to do: its socket is ready, or it is due.
bool tls_step_due(const Transaction& t, int fd, short revents) {
    return t.tls_wants == 0 || (fd == t.socket.fd && fd >= 0 && revents != 0);
}

void step_handshaking(Transaction* t, int fd, short revents, Clock::time_point now) {
    if (!tls_step_due(*t, fd, revents)) {
        if (now >= t->connect_deadline) {
            fail(t, fetch_error::connect);
        }
        return;
    }
    const TlsResult result = tls_handshake(&t->stream);
    if (result.status == TlsStatus::done) {
        t->tls_wants = 0;
        t->state = TransactionState::sending;
        return;
    }
    if (result.status == TlsStatus::closed) {
        fail(t, fetch_error::connect);
        return;
    }
    if (tls_waits(t, result, fetch_error::connect) && now >= t->connect_deadline) {
        fail(t, fetch_error::connect);
    }
}

bool start_receiving(Transaction* t, Clock::time_point now) {
    t->content.reset(static_cast<char*>(std::malloc(first_capacity)));
    if (!t->content) {
        fail(t, fetch_error::allocate);
        return false;
    }
    t->capacity = first_capacity;
    t->used = 0;
    t->content[0] = '\0';
    t->deadline = now + std::chrono::milliseconds(t->limits.idle_timeout_ms);
    t->state = TransactionState::receiving;
    return true;
}

// The request over TLS: offered again, whole and unchanged, until the stream takes it, as the
// library asks of a write that had to wait.
void step_sending_tls(Transaction* t, int fd, short revents, Clock::time_point now) {
    if (t->tls_wants == 0) {
        t->deadline = now + std::chrono::milliseconds(t->limits.idle_timeout_ms);
    } else if (!tls_step_due(*t, fd, revents)) {
        if (now >= t->deadline) {
            fail(t, fetch_error::send);
        }
        return;
    }
    const TlsResult result = tls_write(&t->stream, t->request.data(), t->request.size());
    if (result.status == TlsStatus::done) {
        t->tls_wants = 0;
        start_receiving(t, now);
        return;
    }
    if (result.status == TlsStatus::closed) {
        fail(t, fetch_error::send);
        return;
    }
    std::ignore = tls_waits(t, result, fetch_error::send);
}

void step_sending(Transaction* t, int fd, short revents, Clock::time_point now) {
    if (t->tls) {
        step_sending_tls(t, fd, revents, now);
        return;
    }
    if (write_all(t->socket.fd, t->request.data(), t->request.size()) !=
        static_cast<ssize_t>(t->request.size())) {
        fail(t, fetch_error::send);
        return;
    }
    std::ignore = start_receiving(t, now);
}

// Room for one byte past the cap, so that a response over it shows, and the terminator.
bool grow_buffer(Transaction* t) {
    const std::size_t most = t->limits.response_cap + 2;
    std::size_t wanted = t->capacity <= SIZE_MAX / 2 ? t->capacity * 2 : SIZE_MAX;
    if (wanted > most) {
        wanted = most;
    }
    Content& buffer = transaction_buffer(t);
    char* grown = static_cast<char*>(std::realloc(buffer.get(), wanted));
    if (grown == nullptr) {
        return false;
    }
    std::ignore = buffer.release();
    buffer.reset(grown);
    t->capacity = wanted;
    return true;
}

// One read over TLS, as recv counts: bytes, 0 at the server's close notification, -1 when
// nothing can be read now (the stream waits for the socket) or the read failed (then the
// transaction has). A close without the notification is a failure: the page may be cut.
ssize_t receive_tls(Transaction* t, char* into, std::size_t room) {
    const TlsResult result = tls_read(&t->stream, into, room);
    if (result.status == TlsStatus::done) {
        return static_cast<ssize_t>(result.bytes);
    }
    if (result.status == TlsStatus::closed) {
        return 0;
    }
    std::ignore = tls_waits(t, result, fetch_error::read);
    return -1;
}

// One read into the buffer, growing it when full. False when there is nothing more to read now
// (the socket would block, the response ended or failed).
bool read_some(Transaction* t, int flags, Clock::time_point now) {
    std::size_t& used = buffer_used(t);
    const std::size_t room = t->capacity - used - 1;
    if (room == 0) {
        return false; // a taker's full buffer: the rest waits until its bytes are taken
    }
    char* bytes = transaction_buffer(t).get();
    const ssize_t n =
        t->tls ? receive_tls(t, bytes + used, room) : recv(t->socket.fd, bytes + used, room, flags);
    if (n < 0) {
        if (!t->tls && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            fail(t, fetch_error::read);
        }
        return false;
    }
    if (n == 0) {
        t->stream = TlsStream{};
        t->socket.reset();
        t->state = TransactionState::done;
        return false;
    }
    used += static_cast<std::size_t>(n);
    // What has arrived is always a terminated text, so a page can be shown while it loads.
    bytes[used] = '\0';
    t->deadline = now + std::chrono::milliseconds(t->limits.idle_timeout_ms);
    if (t->taken + used > t->limits.response_cap) {
        fail(t, fetch_error::too_large);
        return false;
    }
    if (used >= t->capacity - 1) {
        if (t->taking && t->capacity >= taken_capacity_max) {
            return false;
        }
        if (!grow_buffer(t)) {
            fail(t, fetch_error::grow);
            return false;
        }
    }
    return true;
}

void step_receiving(Transaction* t, int fd, short revents, Clock::time_point now) {
    if (t->tls && tls_step_due(*t, fd, revents)) {
        // Until the stream says otherwise, a step waits for the socket to be readable.
        t->tls_wants = POLLIN;
    } else if (fd != t->socket.fd || fd < 0 || revents == 0) {
        if (now >= t->deadline) {
            fail(t, fetch_error::read);
        }
        return;
    }
    // What the socket holds is taken in one step, up to a bound that keeps keys answered while
    // a fast server sends a large page: fewer turns of the loop, and the end seen with the rest.
    const std::size_t start = buffer_used(t);
    if (!read_some(t, 0, now)) {
        return;
    }
    while (buffer_used(t) - start < receive_step_bytes && read_some(t, MSG_DONTWAIT, now)) {
    }
    if (t->state == TransactionState::receiving && tls_pending(t->stream)) {
        t->tls_wants = 0; // decrypted bytes wait in the stream, which poll cannot see
    }
}

} // namespace

void begin_transaction(Transaction* transaction, const Address& address, TransactionLimits limits) {
    Transaction& t = *transaction;
    const Clock::time_point now = Clock::now();
    t.limits = limits;
    t.request = address.selector;
    t.request += "\r\n";
    t.tls = address.tls;
    t.host = address.host;
    t.state = TransactionState::resolving;
    t.deadline = now + std::chrono::milliseconds(limits.resolve_timeout_ms);
    t.lookup = start_lookup(address.host, address.port);
    // A numeric host has its answer already.
    step_resolving(&t, now);
}

void begin_transaction_to(Transaction* transaction, std::vector<SocketAddress> addresses,
                          std::string_view selector, TransactionLimits limits) {
    Transaction& t = *transaction;
    t.limits = limits;
    t.request = selector;
    t.request += "\r\n";
    start_connecting(&t, std::move(addresses), Clock::now());
}

void transaction_watch(const Transaction& transaction, std::vector<pollfd>* out) {
    switch (transaction.state) {
    case TransactionState::resolving:
        if (const int fd = lookup_fd(transaction.lookup); fd >= 0) {
            out->push_back({fd, POLLIN, 0});
        }
        break;
    case TransactionState::connecting:
        connector_watch(transaction.connector, *out);
        break;
    case TransactionState::handshaking:
    case TransactionState::sending:
        if (transaction.tls && transaction.tls_wants != 0) {
            out->push_back({transaction.socket.fd, transaction.tls_wants, 0});
        }
        break;
    case TransactionState::receiving:
        if (transaction.tls) {
            if (transaction.tls_wants != 0) {
                out->push_back({transaction.socket.fd, transaction.tls_wants, 0});
            }
        } else {
            out->push_back({transaction.socket.fd, POLLIN, 0});
        }
        break;
    case TransactionState::done:
    case TransactionState::failed:
        break;
    }
}

Clock::time_point transaction_deadline(const Transaction& transaction) {
    const bool due = transaction.tls && transaction.tls_wants == 0;
    switch (transaction.state) {
    case TransactionState::resolving:
        return transaction.deadline;
    case TransactionState::receiving:
        return due ? Clock::time_point::min() : transaction.deadline;
    case TransactionState::connecting:
        return connector_deadline(transaction.connector);
    case TransactionState::handshaking:
        return due ? Clock::time_point::min() : transaction.connect_deadline;
    case TransactionState::sending:
        // Due now: the request goes out at the next step, unless the stream waits.
        return transaction.tls && !due ? transaction.deadline : Clock::time_point::min();
    case TransactionState::done:
    case TransactionState::failed:
        break;
    }
    return Clock::time_point::max();
}

void step_transaction(Transaction* transaction, int fd, short revents, Clock::time_point now) {
    switch (transaction->state) {
    case TransactionState::resolving:
        step_resolving(transaction, now);
        break;
    case TransactionState::connecting:
        step_connecting(transaction, fd, revents, now);
        break;
    case TransactionState::handshaking:
        step_handshaking(transaction, fd, revents, now);
        break;
    case TransactionState::sending:
        step_sending(transaction, fd, revents, now);
        break;
    case TransactionState::receiving:
        step_receiving(transaction, fd, revents, now);
        break;
    case TransactionState::done:
    case TransactionState::failed:
        break;
    }
}

const char* received_bytes(const Transaction& transaction) {
    const Content& buffer = transaction.into != nullptr ? *transaction.into : transaction.content;
    return buffer ? buffer.get() : "";
}

void lend_buffer(Transaction* transaction, Content* owner, std::size_t* owner_used) {
    *owner = std::move(transaction->content);
    *owner_used = transaction->used;
    transaction->used = 0;
    transaction->into = owner;
    transaction->into_used = owner_used;
}

bool transaction_finished(const Transaction& transaction) {
    return transaction.state == TransactionState::done ||
           transaction.state == TransactionState::failed;
}

std::string_view transaction_received(const Transaction& transaction) {
    const std::size_t used =
        transaction.into_used != nullptr ? *transaction.into_used : transaction.used;
    return {received_bytes(transaction), used};
}

void transaction_take(Transaction* transaction) {
    transaction->taken += transaction->used;
    transaction->used = 0;
    transaction->taking = true;
}

std::size_t transaction_total(const Transaction& transaction) {
    return transaction.taken + transaction_received(transaction).size();
}

ssize_t write_all(int fd, const char* bytes, std::size_t length) {
    std::size_t written = 0;
    while (written < length) {
        // A server that has gone away must give an error, not SIGPIPE.
        const ssize_t n = send(fd, bytes + written, length - written, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        written += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(written);
}
