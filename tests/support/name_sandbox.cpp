// Name lookups the tests control: a private mount namespace with resolv.conf and hosts of the
// test's own, and a name server that never answers.
#include "support/name_sandbox.hpp"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <random>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int remaining_ms(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool write_file(const std::string& path, std::string_view text) {
    std::ofstream out(path, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(out);
}

// Waits for the child to end, reading what it reports until then; kills it at the deadline.
void collect_child(pid_t pid, Descriptor report, Clock::time_point deadline, SandboxRun& run) {
    const Descriptor pidfd{static_cast<int>(syscall(SYS_pidfd_open, pid, 0))};
    bool ended = false;
    while (pidfd.fd >= 0 && !ended) {
        pollfd fds[2] = {{pidfd.fd, POLLIN, 0}, {report.fd, POLLIN, 0}};
        const int wait = remaining_ms(deadline);
        if (wait == 0 || poll(fds, report.fd >= 0 ? 2 : 1, wait) < 0) {
            if (errno == EINTR && wait > 0) {
                continue;
            }
            break;
        }
        ended = (fds[0].revents & POLLIN) != 0;
        if (fds[1].revents != 0) {
            char bytes[512];
            const ssize_t n = read(report.fd, bytes, sizeof bytes);
            if (n > 0) {
                run.report.append(bytes, static_cast<std::size_t>(n));
            } else {
                report.reset();
            }
        }
    }
    if (!ended) {
        kill(pid, SIGKILL);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    // Whatever the child wrote before it ended is in the pipe still.
    char bytes[512];
    ssize_t n = 0;
    while (report.fd >= 0 && (n = read(report.fd, bytes, sizeof bytes)) > 0) {
        run.report.append(bytes, static_cast<std::size_t>(n));
    }
    run.finished = ended;
    run.status = status;
    if (!ended) {
        run.report += "the child was still running at the time-out and was killed\n";
    }
}

} // namespace

NameSandbox::~NameSandbox() {
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
}

std::unique_ptr<NameSandbox> make_name_sandbox(std::string_view resolv_conf,
                                               std::string_view hosts) {
    auto sandbox = std::make_unique<NameSandbox>();
    std::string pattern = "/tmp/kesmor-names-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "mkdtemp: " << std::strerror(errno);
        return nullptr;
    }
    sandbox->directory = pattern;
    sandbox->resolv_conf = pattern + "/resolv.conf";
    sandbox->hosts = pattern + "/hosts";
    // Readable by every user: the program under test may drop nothing, but a lookup reads them.
    chmod(pattern.c_str(), 0755);
    if (!write_file(sandbox->resolv_conf, resolv_conf) || !write_file(sandbox->hosts, hosts)) {
        ADD_FAILURE() << "cannot write the sandbox's files in " << pattern;
        return nullptr;
    }
    return sandbox;
}

int enter_name_sandbox(const NameSandbox& sandbox) noexcept {
    if (unshare(CLONE_NEWNS) != 0) {
        return errno;
    }
    // Private first, so that the bind mounts below do not reach the rest of the system.
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount(sandbox.resolv_conf.c_str(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) != 0 ||
        mount(sandbox.hosts.c_str(), "/etc/hosts", nullptr, MS_BIND, nullptr) != 0) {
        return errno;
    }
    return 0;
}

bool name_sandbox_permitted() {
    const auto sandbox = make_name_sandbox("", "");
    if (!sandbox) {
        return false;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        _exit(enter_name_sandbox(*sandbox) == 0 ? 0 : 1);
    }
    if (pid < 0) {
        return false;
    }
    SandboxRun run;
    collect_child(pid, Descriptor{}, Clock::now() + std::chrono::seconds(30), run);
    return run.finished && WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0;
}

SandboxRun run_in_name_sandbox(const NameSandbox& sandbox, const std::function<std::string()>& body,
                               int timeout_ms) {
    return run_in_child(&sandbox, body, timeout_ms);
}

SandboxRun run_in_child(const NameSandbox* sandbox, const std::function<std::string()>& body,
                        int timeout_ms) {
    SandboxRun run;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        run.report = "pipe failed\n";
        return run;
    }
    Descriptor report_read{ends[0]};
    Descriptor report_write{ends[1]};
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    const pid_t pid = fork();
    if (pid == 0) {
        report_read.reset();
        const int error = sandbox != nullptr ? enter_name_sandbox(*sandbox) : 0;
        std::string report = error == 0 ? body() : "cannot enter the sandbox: ";
        if (error != 0) {
            report += std::strerror(error);
        }
        if (!report.empty() && report.back() != '\n') {
            report += '\n';
        }
        std::ignore = write(report_write.fd, report.data(), report.size());
        report_write.reset();
        // exit, not _exit: the leak checker of a sanitized build runs from exit handlers.
        std::exit(0);
    }
    report_write.reset();
    if (pid < 0) {
        run.report = "fork failed\n";
        return run;
    }
    collect_child(pid, std::move(report_read), deadline, run);
    return run;
}

bool sandbox_run_clean(const SandboxRun& run) {
    return run.finished && WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0 &&
           run.report.empty();
}

std::unique_ptr<SilentNameServer> start_silent_name_server() {
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<unsigned> byte(1, 254);
    // An address of 127/8 of its own, so that tests running side by side each have port 53.
    for (int attempt = 0; attempt < 64; ++attempt) {
        auto server = std::make_unique<SilentNameServer>();
        server->socket = Descriptor{socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)};
        if (server->socket.fd < 0) {
            return nullptr;
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(53);
        address.sin_addr.s_addr =
            htonl((127u << 24) | (byte(random) << 16) | (byte(random) << 8) | byte(random));
        if (bind(server->socket.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
            0) {
            char text[INET_ADDRSTRLEN] = "";
            inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
            server->address = text;
            return server;
        }
        if (errno != EADDRINUSE) {
            return nullptr;
        }
    }
    return nullptr;
}

bool wait_for_query(const SilentNameServer& server, int timeout_ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        pollfd entry{server.socket.fd, POLLIN, 0};
        const int ready = poll(&entry, 1, remaining_ms(deadline));
        if (ready > 0) {
            char query[512];
            return recv(server.socket.fd, query, sizeof query, 0) > 0;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

std::string resolv_conf_for(std::string_view address, int timeout_s) {
    std::string text = "nameserver ";
    text += address;
    text += "\noptions attempts:2 timeout:" + std::to_string(timeout_s) + "\n";
    return text;
}
