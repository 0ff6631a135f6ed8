// One Gopher transaction: connect, send the selector, read until the server closes.
#include "gopher/transaction.hpp"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <tuple>
#include <unistd.h>
#include <utility>

#include "app/fatal.hpp"
#include "gopher/descriptor.hpp"
#include "nav/browser.hpp"

namespace {

struct AddrInfoDeleter {
    void operator()(addrinfo* list) const noexcept { freeaddrinfo(list); }
};

using Clock = std::chrono::steady_clock;

// Polls one descriptor, resuming after signals with what is left of the time-out.
// Returns poll's result: positive when ready, 0 on time-out, -1 on error.
int poll_within(int fd, short events, int timeout_ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        pollfd entry{fd, events, 0};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int ready = poll(&entry, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
        if (ready >= 0 || errno != EINTR) {
            return ready;
        }
    }
}

// A connect that gives up after timeout_ms; the socket is left blocking either way.
bool connect_within(int fd, const sockaddr_in& address, int timeout_ms) {
    const int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (!connected && errno == EINPROGRESS && poll_within(fd, POLLOUT, timeout_ms) > 0) {
        int error = 0;
        socklen_t length = sizeof error;
        connected = getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
    fcntl(fd, F_SETFL, flags);
    return connected;
}

} // namespace

void fetch_page(Browser* browser) {
    Page* page = browser->current;
    Descriptor socket{open_gopher_connection(page->host, page->port, page->selector)};
    Content content = receive_all(socket.fd);
    browser->current->content = std::move(content);
}

int connect_first(const std::vector<in_addr>& addresses, int port, int timeout_ms) {
    for (const in_addr& ip : addresses) {
        Descriptor socket{::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)};
        if (socket.fd < 0) {
            std::perror("socket");
            continue;
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        // Menu lines carry any int; the wire takes its low 16 bits.
        address.sin_port = htons(static_cast<std::uint16_t>(static_cast<unsigned>(port) & 0xFFFFu));
        address.sin_addr = ip;
        if (connect_within(socket.fd, address, timeout_ms)) {
            return socket.release();
        }
    }
    return -1;
}

int open_gopher_connection(const char* host, int port, const char* selector) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) {
        fatal("Error: Failed to resolve host");
    }
    const std::unique_ptr<addrinfo, AddrInfoDeleter> list{found};
    std::vector<in_addr> addresses;
    for (const addrinfo* entry = list.get(); entry != nullptr; entry = entry->ai_next) {
        addresses.push_back(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr);
    }

    Descriptor socket{connect_first(addresses, port)};
    if (socket.fd < 0) {
        fatal("Error: Could not connect to host");
    }
    std::string request{selector};
    request += "\r\n";
    if (write_all(socket.fd, request.data(), request.size()) !=
        static_cast<ssize_t>(request.size())) {
        fatal("Error: Failed to send the request.");
    }
    return socket.release();
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

Content receive_all(int fd, int idle_timeout_ms) {
    std::size_t capacity = 4096;
    std::size_t used = 0;
    Content buffer{static_cast<char*>(std::malloc(capacity))};
    if (!buffer) {
        fatal("Error: Failed to allocate memory for receive buffer.");
    }
    for (;;) {
        if (poll_within(fd, POLLIN, idle_timeout_ms) <= 0) {
            fatal("Error: Failed to read from socket.");
        }
        const ssize_t n = read(fd, buffer.get() + used, capacity - used - 1);
        if (n < 0) {
            fatal("Error: Failed to read from socket.");
        }
        if (n == 0) {
            buffer[used] = '\0';
            return buffer;
        }
        used += static_cast<std::size_t>(n);
        if (used >= capacity - 1) {
            char* grown = capacity <= SIZE_MAX / 2
                              ? static_cast<char*>(std::realloc(buffer.get(), capacity * 2))
                              : nullptr;
            if (grown == nullptr) {
                fatal("Error: Failed to reallocate memory for receive buffer.");
            }
            std::ignore = buffer.release();
            buffer.reset(grown);
            capacity *= 2;
        }
    }
}
