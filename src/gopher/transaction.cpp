// One Gopher transaction: connect, send the selector, read until the server closes.
#include "gopher/transaction.hpp"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <netdb.h>
#include <poll.h>
#include <string_view>
#include <sys/socket.h>
#include <tuple>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct AddrInfoDeleter {
    void operator()(addrinfo* list) const noexcept { freeaddrinfo(list); }
};

constexpr std::size_t first_capacity = 4096;
constexpr std::size_t receive_step_bytes = std::size_t{4} << 20;

Content& transaction_buffer(Transaction* t) {
    return t->into != nullptr ? *t->into : t->content;
}

void fail(Transaction* t, const char* message) {
    t->state = TransactionState::failed;
    t->failure = message;
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

// A non-blocking connect to one address. The socket, or -1 when none could be made (the
// system's reason then goes to notes). connected tells whether it is already done.
int start_connect(const in_addr& ip, int port, std::string* notes, bool* connected) {
    Descriptor socket{::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)};
    if (socket.fd < 0) {
        *notes += "socket: ";
        *notes += std::strerror(errno);
        *notes += '\n';
        return -1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    // Menu lines carry any int; the wire takes its low 16 bits.
    address.sin_port = htons(static_cast<std::uint16_t>(static_cast<unsigned>(port) & 0xFFFFu));
    address.sin_addr = ip;
    *connected =
        connect(socket.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (!*connected && errno != EINPROGRESS) {
        return -1;
    }
    return socket.release();
}

bool connect_succeeded(int fd) {
    int error = 0;
    socklen_t length = sizeof error;
    return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

void connected(Transaction* t) {
    set_blocking(t->socket.fd, true);
    t->state = TransactionState::sending;
}

// Moves on to the next address that gives a socket; fails once none is left.
void start_next_address(Transaction* t) {
    while (t->next_address < t->addresses.size()) {
        bool at_once = false;
        t->socket = Descriptor{
            start_connect(t->addresses[t->next_address++], t->port, &t->notes, &at_once)};
        if (t->socket.fd < 0) {
            continue;
        }
        if (at_once) {
            connected(t);
        } else {
            t->deadline = Clock::now() + std::chrono::milliseconds(t->limits.connect_timeout_ms);
        }
        return;
    }
    fail(t, fetch_error::connect);
}

void step_connecting(Transaction* t, short revents, Clock::time_point now) {
    if (t->socket.fd < 0) {
        start_next_address(t);
        return;
    }
    if (revents != 0) {
        if (connect_succeeded(t->socket.fd)) {
            connected(t);
            return;
        }
        t->socket.reset();
    } else if (now >= t->deadline) {
        t->socket.reset();
    }
    if (t->socket.fd < 0) {
        start_next_address(t);
    }
}

void step_sending(Transaction* t, Clock::time_point now) {
    if (write_all(t->socket.fd, t->request.data(), t->request.size()) !=
        static_cast<ssize_t>(t->request.size())) {
        fail(t, fetch_error::send);
        return;
    }
    t->content.reset(static_cast<char*>(std::malloc(first_capacity)));
    if (!t->content) {
        fail(t, fetch_error::allocate);
        return;
    }
    t->capacity = first_capacity;
    t->used = 0;
    t->content[0] = '\0';
    t->deadline = now + std::chrono::milliseconds(t->limits.idle_timeout_ms);
    t->state = TransactionState::receiving;
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

// One read into the buffer, growing it when full. False when there is nothing more to read now
// (the socket would block, the response ended or failed).
bool read_some(Transaction* t, int flags, Clock::time_point now) {
    char* bytes = transaction_buffer(t).get();
    const ssize_t n = recv(t->socket.fd, bytes + t->used, t->capacity - t->used - 1, flags);
    if (n < 0) {
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            fail(t, fetch_error::read);
        }
        return false;
    }
    if (n == 0) {
        t->socket.reset();
        t->state = TransactionState::done;
        return false;
    }
    t->used += static_cast<std::size_t>(n);
    // What has arrived is always a terminated text, so a page can be shown while it loads.
    bytes[t->used] = '\0';
    t->deadline = now + std::chrono::milliseconds(t->limits.idle_timeout_ms);
    if (t->used > t->limits.response_cap) {
        fail(t, fetch_error::too_large);
        return false;
    }
    if (t->used >= t->capacity - 1 && !grow_buffer(t)) {
        fail(t, fetch_error::grow);
        return false;
    }
    return true;
}

void step_receiving(Transaction* t, short revents, Clock::time_point now) {
    if (revents == 0) {
        if (now >= t->deadline) {
            fail(t, fetch_error::read);
        }
        return;
    }
    // What the socket holds is taken in one step, up to a bound that keeps keys answered while
    // a fast server sends a large page: fewer turns of the loop, and the end seen with the rest.
    const std::size_t start = t->used;
    if (!read_some(t, 0, now)) {
        return;
    }
    while (t->used - start < receive_step_bytes && read_some(t, MSG_DONTWAIT, now)) {
    }
}

} // namespace

void begin_transaction(Transaction* transaction, const Address& address, TransactionLimits limits) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(address.host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        transaction->limits = limits;
        fail(transaction, fetch_error::resolve);
        return;
    }
    const std::unique_ptr<addrinfo, AddrInfoDeleter> list{found};
    std::vector<in_addr> addresses;
    for (const addrinfo* entry = list.get(); entry != nullptr; entry = entry->ai_next) {
        addresses.push_back(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr);
    }
    begin_transaction_to(transaction, std::move(addresses), address.port, address.selector, limits);
}

void begin_transaction_to(Transaction* transaction, std::vector<in_addr> addresses, int port,
                          std::string_view selector, TransactionLimits limits) {
    Transaction& t = *transaction;
    t.limits = limits;
    t.addresses = std::move(addresses);
    t.next_address = 0;
    t.port = port;
    t.request = selector;
    t.request += "\r\n";
    t.state = TransactionState::connecting;
    start_next_address(&t);
}

TransactionWait transaction_wait(const Transaction& transaction) {
    switch (transaction.state) {
    case TransactionState::connecting:
        return {transaction.socket.fd, POLLOUT, transaction.deadline};
    case TransactionState::receiving:
        return {transaction.socket.fd, POLLIN, transaction.deadline};
    case TransactionState::sending:
        // Due now: the request goes out at the next step.
        return {-1, 0, Clock::time_point::min()};
    case TransactionState::done:
    case TransactionState::failed:
        break;
    }
    return {-1, 0, Clock::time_point::max()};
}

void step_transaction(Transaction* transaction, short revents, Clock::time_point now) {
    switch (transaction->state) {
    case TransactionState::connecting:
        step_connecting(transaction, revents, now);
        break;
    case TransactionState::sending:
        step_sending(transaction, now);
        break;
    case TransactionState::receiving:
        step_receiving(transaction, revents, now);
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

void lend_buffer(Transaction* transaction, Content* owner) {
    *owner = std::move(transaction->content);
    transaction->into = owner;
}

bool transaction_finished(const Transaction& transaction) {
    return transaction.state == TransactionState::done ||
           transaction.state == TransactionState::failed;
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
