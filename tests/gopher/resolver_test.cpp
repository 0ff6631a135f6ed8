// Name lookups beside the loop: numeric hosts at once, names on a thread that wakes a
// descriptor, and lookups that never answer given up without leaks. Every lookup that starts a
// thread runs in a child process, so that this one stays single-threaded and can fork.
#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netdb.h>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "gopher/resolver.hpp"
#include "support/name_sandbox.hpp"
#include "support/socket_address_text.hpp"

namespace {

constexpr int answer_wait_ms = 20'000;

// The result once lookup_fd has woken, or nothing when it stays quiet for wait_ms.
std::optional<LookupResult> wait_for_result(Lookup& lookup, int wait_ms) {
    pollfd entry{lookup_fd(lookup), POLLIN, 0};
    if (poll(&entry, 1, wait_ms) != 1) {
        return std::nullopt;
    }
    return take_lookup_result(lookup);
}

std::vector<std::string> texts(const std::vector<SocketAddress>& addresses) {
    std::vector<std::string> out;
    for (const SocketAddress& address : addresses) {
        out.push_back(address_text(address));
    }
    return out;
}

// What getaddrinfo itself answers for a TCP connection to host, in its order.
std::vector<std::string> system_order(const char* host) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    std::vector<std::string> out;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0) {
        return out;
    }
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        SocketAddress address;
        std::memcpy(&address.storage, entry->ai_addr, entry->ai_addrlen);
        address.length = entry->ai_addrlen;
        out.push_back(address_text(address));
    }
    freeaddrinfo(found);
    return out;
}

int thread_count() {
    int count = 0;
    for ([[maybe_unused]] const auto& task :
         std::filesystem::directory_iterator("/proc/self/task")) {
        ++count;
    }
    return count;
}

// The blocked-signal mask of every thread but the calling one, from /proc.
std::vector<std::uint64_t> other_threads_blocked() {
    std::vector<std::uint64_t> masks;
    const std::string self = std::to_string(gettid());
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        if (task.path().filename() == self) {
            continue;
        }
        std::ifstream status(task.path() / "status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("SigBlk:", 0) == 0) {
                masks.push_back(std::stoull(line.substr(7), nullptr, 16));
            }
        }
    }
    return masks;
}

bool blocks(std::uint64_t mask, int signal) {
    return (mask >> (signal - 1) & 1u) != 0;
}

TEST(Resolver, NumericHostsAnswerAtOnceOnTheCallingThread) {
    struct Case {
        const char* host;
        int port;
        int family;
        const char* text;
        int wire_port;
    };
    const Case cases[] = {
        {"127.0.0.1", 7070, AF_INET, "127.0.0.1", 7070},
        {"::1", 70, AF_INET6, "::1", 70},
        {"2001:db8::5", 105, AF_INET6, "2001:db8::5", 105},
        // A menu line's port beyond 16 bits: the wire takes the low ones, as for a connection.
        {"10.1.2.3", 65536 + 70, AF_INET, "10.1.2.3", 70},
    };
    for (const Case& c : cases) {
        const SandboxRun run = run_in_child(nullptr, [&] {
            Lookup lookup = start_lookup(c.host, c.port);
            std::string report;
            if (thread_count() != 1) {
                report += "a thread was started\n";
            }
            // Ready before any waiting.
            const std::optional<LookupResult> result = wait_for_result(lookup, 0);
            if (!result || result->addresses.size() != 1) {
                return report + "no single address at once\n";
            }
            const SocketAddress& address = result->addresses[0];
            if (address.storage.ss_family != c.family || address_text(address) != c.text ||
                address_port(address) != c.wire_port) {
                report += "got " + address_text(address) + " port " +
                          std::to_string(address_port(address)) + "\n";
            }
            if (lookup_fd(lookup) != -1 || take_lookup_result(lookup)) {
                report += "the result was given twice\n";
            }
            return report;
        });
        EXPECT_TRUE(sandbox_run_clean(run)) << c.host << ": " << run.report;
    }
}

TEST(Resolver, EmptyHostFailsAtOnce) {
    for (const std::string_view host : {std::string_view{}, std::string_view("a\0b", 3)}) {
        Lookup lookup = start_lookup(host, 70);
        const std::optional<LookupResult> result = wait_for_result(lookup, 0);
        ASSERT_TRUE(result);
        EXPECT_TRUE(result->addresses.empty());
        EXPECT_NE(result->error, 0);
        EXPECT_EQ(lookup_failure_note(*result).rfind("getaddrinfo: ", 0), 0u);
    }
}

// Lookups against a resolv.conf and hosts file of the test's own, in a mount namespace.
class ResolverSandbox : public testing::Test {
  protected:
    void SetUp() override {
        if (!name_sandbox_permitted()) {
            GTEST_SKIP() << "no mount namespaces here (needs root)";
        }
        server = start_silent_name_server();
        if (!server) {
            GTEST_SKIP() << "no loopback address for a name server on port 53";
        }
    }

    // Every name not in hosts goes to the silent server and waits on it.
    std::unique_ptr<NameSandbox> silent_sandbox() const {
        return make_name_sandbox(resolv_conf_for(server->address, 30), hosts);
    }

    static constexpr const char* hosts =
        "127.0.0.1 localhost\n::1 localhost\n127.0.0.7 gopher.test\n";
    std::unique_ptr<SilentNameServer> server;
};

// Names from the hosts file (files come before dns), both families, in the resolver's order,
// with the port set on each, and without a query to the name server.
TEST_F(ResolverSandbox, NamesFromTheHostsFileInTheResolversOrder) {
    const auto sandbox = silent_sandbox();
    ASSERT_TRUE(sandbox);
    const SandboxRun run = run_in_name_sandbox(*sandbox, [&] {
        std::string report;
        for (const char* host : {"localhost", "gopher.test"}) {
            Lookup lookup = start_lookup(host, 7070);
            const std::optional<LookupResult> result = wait_for_result(lookup, answer_wait_ms);
            if (!result || result->error != 0) {
                report += std::string(host) + ": no answer\n";
                continue;
            }
            const std::vector<std::string> expected = system_order(host);
            if (texts(result->addresses) != expected) {
                report += std::string(host) + ": not in the resolver's order\n";
            }
            for (const SocketAddress& address : result->addresses) {
                if (address_port(address) != 7070) {
                    report += std::string(host) + ": port not set\n";
                }
            }
            auto sorted = expected;
            std::sort(sorted.begin(), sorted.end());
            const std::vector<std::string> wanted =
                host == std::string_view("localhost") ? std::vector<std::string>{"127.0.0.1", "::1"}
                                                      : std::vector<std::string>{"127.0.0.7"};
            if (sorted != wanted) {
                report += std::string(host) + ": not both families from the hosts file\n";
            }
        }
        return report;
    });
    EXPECT_TRUE(sandbox_run_clean(run)) << run.report;
    EXPECT_FALSE(wait_for_query(*server, 0)) << "a name in the hosts file went to the server";
}

// A name server that refuses (nothing listens on its port): the lookup fails, and fast.
TEST_F(ResolverSandbox, NameThatDoesNotExistFails) {
    const std::string refusing = server->address;
    server.reset();
    const auto sandbox = make_name_sandbox(resolv_conf_for(refusing, 1), hosts);
    ASSERT_TRUE(sandbox);
    const SandboxRun run = run_in_name_sandbox(*sandbox, [&] {
        Lookup lookup = start_lookup("nonexistent.invalid", 70);
        const std::optional<LookupResult> result = wait_for_result(lookup, answer_wait_ms);
        if (!result) {
            return std::string("no answer\n");
        }
        if (!result->addresses.empty() || result->error == 0 ||
            lookup_failure_note(*result).rfind("getaddrinfo: ", 0) != 0) {
            return "not a failure: " + lookup_failure_note(*result);
        }
        return std::string();
    });
    EXPECT_TRUE(sandbox_run_clean(run)) << run.report;
}

// A lookup whose name server never answers: the descriptor stays quiet, no signal can land on
// its thread, and the process may drop it, or keep it, and exit while the thread still waits
// in getaddrinfo. A sanitized build checks the exit for leaks.
TEST_F(ResolverSandbox, LookupThatNeverAnswersCanBeLeft) {
    const auto sandbox = silent_sandbox();
    ASSERT_TRUE(sandbox);
    for (const bool drop : {true, false}) {
        const SandboxRun run = run_in_name_sandbox(*sandbox, [&] {
            Lookup lookup = start_lookup("never.test", 70);
            if (!wait_for_query(*server, answer_wait_ms)) {
                return std::string("the query did not reach the server\n");
            }
            std::string report;
            if (wait_for_result(lookup, 200)) {
                report += "a silent server answered\n";
            }
            const std::vector<std::uint64_t> masks = other_threads_blocked();
            if (masks.size() != 1) {
                report += "not one lookup thread\n";
            }
            for (const std::uint64_t mask : masks) {
                for (const int signal : {SIGINT, SIGWINCH, SIGTERM, SIGPIPE, SIGCHLD, SIGTSTP}) {
                    if (!blocks(mask, signal)) {
                        report += "the lookup thread takes signal " + std::to_string(signal) + "\n";
                    }
                }
            }
            if (drop) {
                abandon_lookup(lookup);
                if (lookup_fd(lookup) != -1) {
                    report += "still a descriptor after abandoning\n";
                }
            }
            return report;
        });
        EXPECT_TRUE(sandbox_run_clean(run)) << (drop ? "dropped: " : "kept: ") << run.report;
    }
}

// The same exit under memcheck, in a program built without sanitizers: no definite leak and no
// memory error, whether the lookup was dropped or still held.
TEST_F(ResolverSandbox, LookupLeftRunningIsCleanUnderMemcheck) {
    const auto sandbox = silent_sandbox();
    ASSERT_TRUE(sandbox);
    for (const char* mode : {"drop", "keep"}) {
        const SandboxRun run = run_in_name_sandbox(
            *sandbox,
            [&] {
                // The probe answers for the server: it reads the query itself, on descriptor 3.
                // dup2 onto itself would keep close-on-exec.
                const int kept =
                    server->socket.fd == 3 ? fcntl(3, F_SETFD, 0) : dup2(server->socket.fd, 3) - 3;
                if (kept != 0) {
                    return std::string("cannot hand the server's socket on\n");
                }
                const char* argv[] = {KESMOR_VALGRIND, "--quiet", "--error-exitcode=99",
                                      "--leak-check=full", "--errors-for-leak-kinds=definite",
                                      // The running thread's own TLS shows as possibly lost.
                                      "--show-possibly-lost=no", KESMOR_LOOKUP_PROBE, "3",
                                      "never.test", mode, nullptr};
                execv(argv[0], const_cast<char* const*>(argv));
                return std::string("exec failed\n");
            },
            120'000);
        EXPECT_TRUE(sandbox_run_clean(run))
            << mode << ": status " << run.status << " " << run.report;
    }
}

} // namespace
