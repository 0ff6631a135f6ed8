// Sockets bound to a loopback address, for the servers the tests start.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>

// An IPv4 or IPv6 address with its port.
struct SocketName {
    sockaddr_storage storage{};
    socklen_t length = 0;
    const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&storage); }
};

// address ("127.0.0.1", "::1") and port; throws std::runtime_error for text that is no IP
// address.
[[nodiscard]] SocketName loopback(const char* address, int port);

// A TCP socket (close-on-exec) bound to address and port (0: any free port), not listening yet;
// the port it got goes to bound_port. reuse: SO_REUSEADDR, for a fixed port that an earlier
// run's closed connections may still hold. Throws std::runtime_error when it cannot be made.
[[nodiscard]] int bound_socket(const char* address, int port, bool reuse, int* bound_port);
