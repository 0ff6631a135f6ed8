// TLS for the tests: a test CA, stunnel in front of a loopback Gopher server, and a small TLS
// server of our own.
#include "support/tls_fixture.hpp"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

#include "support/loopback_socket.hpp"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int start_timeout_ms = 15'000;

// Starts the command with its standard input and output on /dev/null, its errors too when
// asked; its PID, or 0 when it could not be run.
pid_t spawn_quietly(std::vector<std::string> args, bool quiet_errors) {
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (quiet_errors) {
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : 0;
}

// Runs the command with no output of its own; its exit status, or -1.
int run_quietly(std::vector<std::string> args, int timeout_ms) {
    const pid_t pid = spawn_quietly(std::move(args), false);
    if (pid == 0) {
        return -1;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A port of 127.0.0.1 free at the time of asking.
int free_port() {
    int port = 0;
    close(bound_socket("127.0.0.1", 0, false, &port));
    return port;
}

bool accepts(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

void stop_child(pid_t pid) {
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
}

// Waits until fd is readable or stop is; true for fd.
bool wait_readable(int fd, int stop) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {stop, POLLIN, 0}};
    while (poll(fds, 2, -1) < 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return (fds[1].revents == 0) && fds[0].revents != 0;
}

struct SslCtxFree {
    void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};
struct SslFree {
    void operator()(SSL* ssl) const { SSL_free(ssl); }
};

void serve_cut(TlsTestServer& server, SSL_CTX* context, int fd, const std::string& first,
               const std::string& rest) {
    const std::unique_ptr<SSL, SslFree> ssl(SSL_new(context));
    SSL_set_fd(ssl.get(), fd);
    if (SSL_accept(ssl.get()) != 1) {
        return;
    }
    std::string request;
    char chunk[512];
    while (request.find("\r\n") == std::string::npos) {
        const int got = SSL_read(ssl.get(), chunk, sizeof chunk);
        if (got <= 0) {
            return;
        }
        request.append(chunk, static_cast<std::size_t>(got));
    }
    if (!first.empty() && SSL_write(ssl.get(), first.data(), static_cast<int>(first.size())) <= 0) {
        return;
    }
    if (!wait_readable(server.gate_read, server.stop_read)) {
        return;
    }
    char token = 0;
    std::ignore = read(server.gate_read, &token, 1);
    if (!rest.empty()) {
        std::ignore = SSL_write(ssl.get(), rest.data(), static_cast<int>(rest.size()));
    }
    // Closed with no close notification: the client must not take this for the end.
}

void serve(TlsTestServer& server, TlsServerMode mode, const std::string& cert_dir,
           std::string first, std::string rest) {
    std::unique_ptr<SSL_CTX, SslCtxFree> context(SSL_CTX_new(TLS_server_method()));
    SSL_CTX_use_certificate_chain_file(context.get(), (cert_dir + "/good.pem").c_str());
    SSL_CTX_use_PrivateKey_file(context.get(), (cert_dir + "/good.key").c_str(), SSL_FILETYPE_PEM);
    while (wait_readable(server.listener, server.stop_read)) {
        const int fd = accept(server.listener, nullptr, nullptr);
        if (fd < 0) {
            continue;
        }
        // A client that stops half way must not keep the server from stopping for long.
        const timeval bound{5, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
        if (mode == TlsServerMode::cut) {
            serve_cut(server, context.get(), fd, first, rest);
        } else {
            std::ignore = write(fd, first.data(), first.size());
            char chunk[512];
            while (wait_readable(fd, server.stop_read) && read(fd, chunk, sizeof chunk) > 0) {
            }
        }
        close(fd);
    }
}

} // namespace

std::unique_ptr<TestCa> make_test_ca() {
    auto ca = std::make_unique<TestCa>();
    const int status = run_quietly(
        {"sh", KESMOR_SOURCE_DIR "/tests/support/make_test_ca.sh", ca->dir.path}, 60'000);
    if (status != 0) {
        ADD_FAILURE() << "make_test_ca.sh failed (status " << status << ")";
        return nullptr;
    }
    return ca;
}

std::string trust_test_ca(const TestCa& ca) {
    return "SSL_CERT_FILE=" + ca.dir.file("ca.pem");
}

TlsFront::~TlsFront() {
    stop_child(pid);
    if (!config.empty()) {
        unlink(config.c_str());
    }
}

std::unique_ptr<TlsFront> start_tls_front(const TestCa& ca, std::string_view cert,
                                          int backend_port) {
    // The port is free when asked for and may be taken before stunnel binds it: a few tries.
    for (int attempt = 0; attempt < 5; ++attempt) {
        auto front = std::make_unique<TlsFront>();
        front->port = free_port();
        front->config = ca.dir.file("stunnel-" + std::to_string(front->port) + ".conf");
        const std::string name(cert);
        write_file(front->config, "foreground = yes\npid =\ndebug = 0\n"
                                  "[gopher]\naccept = 127.0.0.1:" +
                                      std::to_string(front->port) +
                                      "\nconnect = 127.0.0.1:" + std::to_string(backend_port) +
                                      "\ncert = " + ca.dir.file(name + ".pem") +
                                      "\nkey = " + ca.dir.file(name + ".key") + "\n");
        front->pid = spawn_quietly({"stunnel4", front->config}, true);
        if (front->pid == 0) {
            ADD_FAILURE() << "could not run stunnel4";
            return nullptr;
        }
        const auto deadline = Clock::now() + std::chrono::milliseconds(start_timeout_ms);
        while (Clock::now() < deadline) {
            if (accepts(front->port)) {
                return front;
            }
            if (waitpid(front->pid, nullptr, WNOHANG) == front->pid) {
                front->pid = 0; // it ended: the port was taken, most likely
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ADD_FAILURE() << "stunnel4 did not start";
    return nullptr;
}

std::string tls_url(const TlsFront& front, std::string_view host) {
    return "gophers://" + std::string(host) + ":" + std::to_string(front.port) + "/";
}

TlsTestServer::~TlsTestServer() {
    if (stop_write >= 0) {
        std::ignore = write(stop_write, "x", 1);
    }
    if (thread.joinable()) {
        thread.join();
    }
    for (int fd : {listener, stop_read, stop_write, gate_read, gate_write}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

std::unique_ptr<TlsTestServer> start_tls_test_server(const TestCa& ca, TlsServerMode mode,
                                                     std::string first, std::string rest) {
    auto server = std::make_unique<TlsTestServer>();
    int stop[2];
    int gate[2];
    if (pipe(stop) != 0 || pipe(gate) != 0) {
        ADD_FAILURE() << "no pipe";
        return nullptr;
    }
    server->stop_read = stop[0];
    server->stop_write = stop[1];
    server->gate_read = gate[0];
    server->gate_write = gate[1];
    server->listener = bound_socket("127.0.0.1", 0, false, &server->port);
    if (listen(server->listener, 8) != 0) {
        ADD_FAILURE() << "no listener";
        return nullptr;
    }
    server->thread =
        std::thread(serve, std::ref(*server), mode, ca.dir.path, std::move(first), std::move(rest));
    return server;
}

void open_tls_gate(TlsTestServer& server) {
    std::ignore = write(server.gate_write, "g", 1);
}
