// Connecting to the addresses of a host as Happy Eyeballs does.
#include "gopher/connector.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

bool connect_succeeded(int fd) {
    int error = 0;
    socklen_t length = sizeof error;
    return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

void win(Connector& c, Descriptor socket, std::size_t address) {
    c.connection = std::move(socket);
    c.connected_address = address;
    c.attempts.clear(); // closes the others
    c.state = ConnectorState::connected;
}

// Starts the next addresses until one is in flight or connected, or none is left.
void start_next(Connector& c, Clock::time_point now) {
    while (c.next_address < c.addresses.size()) {
        const std::size_t index = c.next_address++;
        const SocketAddress& address = c.addresses[index];
        Descriptor socket{
            ::socket(address.storage.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)};
        if (socket.fd < 0) {
            c.notes += "socket: ";
            c.notes += std::strerror(errno);
            c.notes += '\n';
            continue;
        }
        if (connect(socket.fd, reinterpret_cast<const sockaddr*>(&address.storage),
                    address.length) == 0) {
            win(c, std::move(socket), index);
            return;
        }
        // Interrupted, a non-blocking connect goes on by itself as one in progress does.
        if (errno != EINPROGRESS && errno != EINTR) {
            continue;
        }
        c.attempts.push_back({.socket = std::move(socket),
                              .address = index,
                              .deadline = now + std::chrono::milliseconds(c.attempt_timeout_ms)});
        c.next_start = now + std::chrono::milliseconds(c.stagger_ms);
        return;
    }
}

void fail_when_nothing_left(Connector& c) {
    if (c.state == ConnectorState::connecting && c.attempts.empty() &&
        c.next_address >= c.addresses.size()) {
        c.state = ConnectorState::failed;
    }
}

} // namespace

void start_connector(Connector& connector, std::vector<SocketAddress> addresses,
                     int attempt_timeout_ms, Clock::time_point now, int stagger_ms) {
    Connector& c = connector;
    c.state = ConnectorState::connecting;
    c.addresses = std::move(addresses);
    c.next_address = 0;
    c.attempts.clear();
    c.attempt_timeout_ms = attempt_timeout_ms;
    c.stagger_ms = stagger_ms;
    c.connection.reset();
    c.connected_address = 0;
    c.notes.clear();
    start_next(c, now);
    fail_when_nothing_left(c);
}

void connector_watch(const Connector& connector, std::vector<pollfd>& out) {
    for (const ConnectAttempt& attempt : connector.attempts) {
        out.push_back({attempt.socket.fd, POLLOUT, 0});
    }
}

Clock::time_point connector_deadline(const Connector& connector) {
    auto deadline = Clock::time_point::max();
    if (connector.state != ConnectorState::connecting) {
        return deadline;
    }
    for (const ConnectAttempt& attempt : connector.attempts) {
        deadline = std::min(deadline, attempt.deadline);
    }
    if (connector.next_address < connector.addresses.size()) {
        deadline = std::min(deadline, connector.next_start);
    }
    return deadline;
}

void connector_step(Connector& connector, std::span<const pollfd> ready, Clock::time_point now) {
    Connector& c = connector;
    if (c.state != ConnectorState::connecting) {
        return;
    }
    // Readiness before anything starts, so that no new socket can take the number of one closed
    // here and be read as ready.
    bool one_failed = false;
    for (const pollfd& entry : ready) {
        if (entry.revents == 0) {
            continue;
        }
        const auto attempt =
            std::find_if(c.attempts.begin(), c.attempts.end(),
                         [&](const ConnectAttempt& a) { return a.socket.fd == entry.fd; });
        if (attempt == c.attempts.end()) {
            continue;
        }
        if (connect_succeeded(attempt->socket.fd)) {
            win(c, std::move(attempt->socket), attempt->address);
            return;
        }
        c.attempts.erase(attempt);
        one_failed = true;
    }
    one_failed |=
        std::erase_if(c.attempts, [&](const ConnectAttempt& a) { return a.deadline <= now; }) > 0;
    if (one_failed || c.attempts.empty() || now >= c.next_start) {
        start_next(c, now);
    }
    fail_when_nothing_left(c);
}

Descriptor take_connection(Connector& connector) {
    return std::move(connector.connection);
}
