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
#include <sys/socket.h>
#include <tuple>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct AddrInfoDeleter {
    void operator()(addrinfo* list) const noexcept { freeaddrinfo(list); }
};

constexpr std::size_t first_capacity = 4096;

// Milliseconds from now until deadline, at least 0 and at most limit_ms.
int ms_until(Clock::time_point deadline, int limit_ms) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
        return 0;
    }
    // Rounded up, so that a wait that ends early does not spin until the deadline.
    return left < limit_ms ? static_cast<int>(left) + 1 : limit_ms;
}

void fail(Transaction* t, const char* message) {
    t->state = TransactionState::failed;
    t->failure = message;
    t->socket.reset();
    t->content.reset();
    t->used = 0;
    t->capacity = 0;
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

// Polls the socket and input_fd together. Sets the two flags; a time-out or a signal sets
// neither.
void wait_for(int socket_fd, short events, int input_fd, int wait_ms, bool* socket_ready,
              bool* input_ready) {
    pollfd entries[2] = {{socket_fd, events, 0}, {input_fd, POLLIN, 0}};
    const nfds_t count = input_fd >= 0 ? 2 : 1;
    *socket_ready = false;
    *input_ready = false;
    if (poll(entries, count, wait_ms) <= 0) {
        return;
    }
    *socket_ready = entries[0].revents != 0;
    *input_ready = count == 2 && entries[1].revents != 0;
}

bool step_connecting(Transaction* t, int wait_ms, int input_fd) {
    if (t->socket.fd < 0) {
        start_next_address(t);
        return false;
    }
    bool ready = false;
    bool input = false;
    wait_for(t->socket.fd, POLLOUT, input_fd, ms_until(t->deadline, wait_ms), &ready, &input);
    if (ready) {
        if (connect_succeeded(t->socket.fd)) {
            connected(t);
        } else {
            t->socket.reset();
        }
    } else if (Clock::now() >= t->deadline) {
        t->socket.reset();
    }
    if (t->socket.fd < 0 && t->state == TransactionState::connecting) {
        start_next_address(t);
    }
    return input;
}

void step_sending(Transaction* t) {
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
    t->deadline = Clock::now() + std::chrono::milliseconds(t->limits.idle_timeout_ms);
    t->state = TransactionState::receiving;
}

// Room for one byte past the cap, so that a response over it shows, and the terminator.
bool grow_buffer(Transaction* t) {
    const std::size_t most = t->limits.response_cap + 2;
    std::size_t wanted = t->capacity <= SIZE_MAX / 2 ? t->capacity * 2 : SIZE_MAX;
    if (wanted > most) {
        wanted = most;
    }
    char* grown = static_cast<char*>(std::realloc(t->content.get(), wanted));
    if (grown == nullptr) {
        return false;
    }
    std::ignore = t->content.release();
    t->content.reset(grown);
    t->capacity = wanted;
    return true;
}

bool step_receiving(Transaction* t, int wait_ms, int input_fd) {
    bool ready = false;
    bool input = false;
    wait_for(t->socket.fd, POLLIN, input_fd, ms_until(t->deadline, wait_ms), &ready, &input);
    if (!ready) {
        if (Clock::now() >= t->deadline) {
            fail(t, fetch_error::read);
        }
        return input;
    }
    const ssize_t n = read(t->socket.fd, t->content.get() + t->used, t->capacity - t->used - 1);
    if (n < 0) {
        if (errno != EINTR && errno != EAGAIN) {
            fail(t, fetch_error::read);
        }
        return input;
    }
    if (n == 0) {
        t->content[t->used] = '\0';
        t->socket.reset();
        t->state = TransactionState::done;
        return input;
    }
    t->used += static_cast<std::size_t>(n);
    t->deadline = Clock::now() + std::chrono::milliseconds(t->limits.idle_timeout_ms);
    if (t->used > t->limits.response_cap) {
        fail(t, fetch_error::too_large);
    } else if (t->used >= t->capacity - 1 && !grow_buffer(t)) {
        fail(t, fetch_error::grow);
    }
    return input;
}

} // namespace

void begin_transaction(Transaction* transaction, const char* host, int port, const char* selector,
                       TransactionLimits limits) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) {
        transaction->limits = limits;
        fail(transaction, fetch_error::resolve);
        return;
    }
    const std::unique_ptr<addrinfo, AddrInfoDeleter> list{found};
    std::vector<in_addr> addresses;
    for (const addrinfo* entry = list.get(); entry != nullptr; entry = entry->ai_next) {
        addresses.push_back(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr);
    }
    begin_transaction_to(transaction, std::move(addresses), port, selector, limits);
}

void begin_transaction_to(Transaction* transaction, std::vector<in_addr> addresses, int port,
                          const char* selector, TransactionLimits limits) {
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

bool advance_transaction(Transaction* transaction, int wait_ms, int input_fd) {
    switch (transaction->state) {
    case TransactionState::connecting:
        return step_connecting(transaction, wait_ms, input_fd);
    case TransactionState::sending:
        step_sending(transaction);
        return false;
    case TransactionState::receiving:
        return step_receiving(transaction, wait_ms, input_fd);
    case TransactionState::done:
    case TransactionState::failed:
        break;
    }
    return false;
}

void run_transaction(Transaction* transaction) {
    while (transaction->state != TransactionState::done &&
           transaction->state != TransactionState::failed) {
        std::ignore = advance_transaction(transaction, 1000, -1);
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
        std::ignore = advance_transaction(&t, 1000, -1);
    }
    return t.state == TransactionState::sending ? t.socket.release() : -1;
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
