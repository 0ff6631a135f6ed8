// Sockets bound to a loopback address, for the servers the tests start.
#include "support/loopback_socket.hpp"

#include <arpa/inet.h>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

int port_of(const SocketName& name) {
    return name.storage.ss_family == AF_INET6
               ? ntohs(reinterpret_cast<const sockaddr_in6*>(&name.storage)->sin6_port)
               : ntohs(reinterpret_cast<const sockaddr_in*>(&name.storage)->sin_port);
}

} // namespace

SocketName loopback(const char* address, int port) {
    SocketName name;
    auto* in = reinterpret_cast<sockaddr_in*>(&name.storage);
    auto* in6 = reinterpret_cast<sockaddr_in6*>(&name.storage);
    if (inet_pton(AF_INET, address, &in->sin_addr) == 1) {
        in->sin_family = AF_INET;
        in->sin_port = htons(static_cast<std::uint16_t>(port));
        name.length = sizeof(sockaddr_in);
    } else if (inet_pton(AF_INET6, address, &in6->sin6_addr) == 1) {
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(static_cast<std::uint16_t>(port));
        name.length = sizeof(sockaddr_in6);
    } else {
        throw std::runtime_error(std::string("not an IP address: ") + address);
    }
    return name;
}

int bound_socket(const char* address, int port, bool reuse, int* bound_port) {
    const SocketName name = loopback(address, port);
    const int fd = socket(name.storage.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::runtime_error("socket failed");
    }
    if (reuse) {
        // A fixed port may still be held by an earlier run's closed connections.
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    }
    if (bind(fd, name.get(), name.length) != 0) {
        close(fd);
        throw std::runtime_error("cannot bind " + std::string(address) + ":" +
                                 std::to_string(port));
    }
    SocketName actual;
    actual.length = sizeof actual.storage;
    getsockname(fd, reinterpret_cast<sockaddr*>(&actual.storage), &actual.length);
    *bound_port = port_of(actual);
    return fd;
}
