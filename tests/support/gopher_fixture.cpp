// A loopback Gopher server for the tests: scripted answers per selector, every request recorded.
#include "support/gopher_fixture.hpp"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

#include "gopher/descriptor.hpp"
#include "support/loopback_socket.hpp"

namespace {

void close_fd(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

// Waits for fd to be ready for events; false when the server stops first.
bool ready_or_stop(const GopherServer& server, int fd, short events) {
    for (;;) {
        pollfd fds[2] = {{server.stop_read, POLLIN, 0}, {fd, events, 0}};
        const int n = poll(fds, 2, -1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0 || fds[0].revents != 0) {
            return false;
        }
        return true;
    }
}

// A pause that ends early when the server stops; true if it did.
bool stopped_within(const GopherServer& server, int timeout_ms) {
    pollfd fd{server.stop_read, POLLIN, 0};
    return poll(&fd, 1, timeout_ms) > 0;
}

bool stopping(const GopherServer& server) {
    return stopped_within(server, 0);
}

void record(GopherServer& server, std::size_t index, std::string_view bytes) {
    const std::lock_guard lock(server.mutex);
    server.requests[index].append(bytes);
    server.changed.notify_all();
}

// Reads what the client sends and records it. False at the end of the stream, on an error or
// when the server stops.
bool receive_some(GopherServer& server, int fd, std::size_t index) {
    if (!ready_or_stop(server, fd, POLLIN)) {
        return false;
    }
    char buffer[4096];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) {
        return n < 0 && (errno == EINTR || errno == EAGAIN);
    }
    record(server, index, std::string_view(buffer, static_cast<std::size_t>(n)));
    return true;
}

bool send_all(const GopherServer& server, int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        if (!ready_or_stop(server, fd, POLLOUT)) {
            return false;
        }
        const ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            return false; // the client has gone
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Until the gate opens (true), the server stops or the client closes its side (false).
bool gate_opened(const GopherServer& server, int fd) {
    for (;;) {
        pollfd fds[3] = {
            {server.stop_read, POLLIN, 0}, {server.gate_read, POLLIN, 0}, {fd, POLLIN, 0}};
        const int n = poll(fds, 3, -1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0 || fds[0].revents != 0) {
            return false;
        }
        if (fds[2].revents != 0) {
            char byte = 0;
            const ssize_t got = recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
            if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
                return false;
            }
        }
        if (fds[1].revents != 0) {
            char byte = 0;
            return read(server.gate_read, &byte, 1) == 1;
        }
    }
}

// How the connection ends: the reply, or for a gated one the reply after the gate.
Reply answer(const GopherServer& server, int fd, const Script& script) {
    if (script.reply == Reply::gated) {
        send_all(server, fd, script.response);
        if (!gate_opened(server, fd)) {
            return Reply::close_at_once;
        }
        Script after = script;
        after.reply = script.after == Reply::gated ? Reply::whole : script.after;
        after.response = script.rest;
        return answer(server, fd, after);
    }
    switch (script.reply) {
    case Reply::whole:
        send_all(server, fd, script.response);
        break;
    case Reply::close_at_once:
        break;
    case Reply::reset: {
        send_all(server, fd, script.response);
        // A zero linger turns the close into a reset.
        const linger abort{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        break;
    }
    case Reply::stall:
        // Part of an answer, and then silence on an open connection.
        send_all(server, fd, script.response);
        break;
    case Reply::in_pieces: {
        std::string_view rest = script.response;
        const std::size_t piece = script.piece_size > 0 ? script.piece_size : 1;
        while (!rest.empty()) {
            if (!send_all(server, fd, rest.substr(0, piece))) {
                return script.reply;
            }
            rest.remove_prefix(std::min(piece, rest.size()));
            if (!rest.empty() && script.pause_ms > 0 && stopped_within(server, script.pause_ms)) {
                return script.reply;
            }
        }
        break;
    }
    case Reply::gated:
        break;
    }
    return script.reply;
}

void serve_connection(GopherServer& server, int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    std::size_t index = 0;
    {
        const std::lock_guard lock(server.mutex);
        index = server.requests.size();
        server.requests.emplace_back();
        server.changed.notify_all();
    }
    auto line_ended = [&] {
        const std::lock_guard lock(server.mutex);
        return server.requests[index].find("\r\n") != std::string::npos;
    };
    bool open = true;
    while (!line_ended() && (open = receive_some(server, fd, index))) {
    }
    Script script;
    {
        const std::lock_guard lock(server.mutex);
        const std::string& request = server.requests[index];
        const std::string selector = request.substr(0, request.find("\r\n"));
        const auto found = server.scripts.find(selector);
        script = found != server.scripts.end() ? found->second : server.fallback;
        ++server.complete;
        server.changed.notify_all();
    }
    if (!open || stopping(server)) {
        return;
    }
    const Reply ended = answer(server, fd, script);
    if (ended == Reply::reset) {
        return;
    }
    if (ended != Reply::stall) {
        shutdown(fd, SHUT_WR);
    }
    // Record whatever else the client sends until it closes (or, when stalled, until the
    // server stops).
    while (receive_some(server, fd, index)) {
    }
}

void serve_loop(GopherServer& server) {
    while (ready_or_stop(server, server.listener, POLLIN)) {
        Descriptor connection{accept4(server.listener, nullptr, nullptr, SOCK_CLOEXEC)};
        if (connection.fd < 0) {
            continue;
        }
        serve_connection(server, connection.fd);
        connection.reset(); // closed before it is counted
        const std::lock_guard lock(server.mutex);
        ++server.closed;
        server.changed.notify_all();
    }
}

} // namespace

GopherServer::~GopherServer() {
    if (stop_write >= 0) {
        const char byte = 0;
        while (write(stop_write, &byte, 1) < 0 && errno == EINTR) {
        }
    }
    if (thread.joinable()) {
        thread.join();
    }
    close_fd(listener);
    close_fd(stop_read);
    close_fd(stop_write);
    close_fd(gate_read);
    close_fd(gate_write);
}

std::unique_ptr<GopherServer> start_gopher_server(const char* address, int port) {
    auto server = std::make_unique<GopherServer>();
    server->address = address;
    server->listener = bound_socket(address, port, true, &server->port);
    if (listen(server->listener, 16) != 0) {
        throw std::runtime_error("listen failed");
    }
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        throw std::runtime_error("no pipe");
    }
    server->stop_read = ends[0];
    server->stop_write = ends[1];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        throw std::runtime_error("no pipe");
    }
    server->gate_read = ends[0];
    server->gate_write = ends[1];
    server->thread = std::thread(serve_loop, std::ref(*server));
    return server;
}

void serve(GopherServer& server, std::string selector, Script script) {
    const std::lock_guard lock(server.mutex);
    server.scripts.insert_or_assign(std::move(selector), std::move(script));
}

void open_gate(GopherServer& server) {
    const char byte = 1;
    while (write(server.gate_write, &byte, 1) < 0 && errno == EINTR) {
    }
}

void serve_default(GopherServer& server, Script script) {
    const std::lock_guard lock(server.mutex);
    server.fallback = std::move(script);
}

std::vector<std::string> requests(const GopherServer& server) {
    const std::lock_guard lock(server.mutex);
    return server.requests;
}

std::size_t request_count(const GopherServer& server) {
    const std::lock_guard lock(server.mutex);
    return server.requests.size();
}

bool wait_for_requests(const GopherServer& server, std::size_t count, int timeout_ms) {
    std::unique_lock lock(server.mutex);
    return server.changed.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                                   [&] { return server.complete >= count; });
}

bool wait_for_closed(const GopherServer& server, std::size_t count, int timeout_ms) {
    std::unique_lock lock(server.mutex);
    return server.changed.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                                   [&] { return server.closed >= count; });
}

RefusedPort::~RefusedPort() {
    close_fd(fd);
}

std::unique_ptr<RefusedPort> reserve_refused_port(const char* address) {
    auto refused = std::make_unique<RefusedPort>();
    refused->fd = bound_socket(address, 0, false, &refused->port);
    return refused;
}

std::string menu_line(char type, std::string_view display, std::string_view selector,
                      std::string_view host, int port) {
    std::string line(1, type);
    line.append(display).append("\t").append(selector).append("\t").append(host);
    line.append("\t").append(std::to_string(port)).append("\r\n");
    return line;
}

FullListener::~FullListener() {
    for (int& filler : fillers) {
        close_fd(filler);
    }
    close_fd(fd);
}

std::unique_ptr<FullListener> start_full_listener(const char* address, int port) {
    auto full = std::make_unique<FullListener>();
    full->fd = bound_socket(address, port, false, &full->port);
    if (listen(full->fd, 0) != 0) {
        throw std::runtime_error("listen failed");
    }
    const SocketName name = loopback(address, full->port);
    // Connect until one attempt hangs: from then on the kernel drops every new attempt.
    for (int i = 0; i < 16; ++i) {
        const int filler =
            socket(name.storage.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        full->fillers.push_back(filler);
        if (connect(filler, name.get(), name.length) == 0) {
            continue;
        }
        pollfd entry{filler, POLLOUT, 0};
        if (poll(&entry, 1, 500) == 0) {
            return full;
        }
    }
    throw std::runtime_error("the listen queue never filled");
}
