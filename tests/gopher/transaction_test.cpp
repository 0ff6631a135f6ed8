// The Gopher transaction against a loopback server, in-process and through the program.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <sys/socket.h>
#include <tuple>
#include <unistd.h>
#include <vector>

#include "gopher/descriptor.hpp"
#include "gopher/transaction.hpp"
#include "nav/fetch.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"

namespace {

using Socket = Descriptor;

// A fetch that watches no keyboard and draws nothing.
constexpr FetchWatch quiet{.input_fd = -1, .show_progress = false};

// A Browser whose one page has been fetched from the server; frees the history at the end.
struct Fetched {
    Browser browser{};
    FetchResult result;

    Fetched(const GopherServer& server, const char* selector, const FetchWatch& watch = quiet,
            std::string_view queued_before = "") {
        std::memcpy(browser.keys.bytes.data(), queued_before.data(), queued_before.size());
        browser.keys.length = static_cast<int>(queued_before.size());
        result =
            fetch_address(&browser, nullptr, server.address.c_str(), server.port, selector, watch);
    }

    const char* content() const { return result.content.get(); }
    std::string queued() const {
        return {reinterpret_cast<const char*>(browser.keys.bytes.data()),
                static_cast<std::size_t>(browser.keys.length)};
    }
};

// The read end of a pipe that holds the given bytes: keys typed before the fetch looks.
struct TypedKeys {
    int ends[2] = {-1, -1};
    explicit TypedKeys(std::string_view bytes) {
        if (pipe(ends) != 0 ||
            write(ends[1], bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
            ADD_FAILURE() << "no pipe";
        }
    }
    ~TypedKeys() {
        close(ends[0]);
        close(ends[1]);
    }
    TypedKeys(const TypedKeys&) = delete;
    TypedKeys& operator=(const TypedKeys&) = delete;
};

in_addr ipv4(const char* text) {
    in_addr address{};
    inet_pton(AF_INET, text, &address);
    return address;
}

sockaddr_in peer_of(int fd) {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length);
    return peer;
}

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

// Everything call writes to standard error, which meanwhile goes to a temporary file.
std::string stderr_of(const std::function<void()>& call) {
    std::fflush(stderr);
    const std::unique_ptr<std::FILE, FileCloser> file{std::tmpfile()};
    const int saved = dup(STDERR_FILENO);
    dup2(fileno(file.get()), STDERR_FILENO);
    call();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    std::string text(static_cast<std::size_t>(std::ftell(file.get())), '\0');
    std::rewind(file.get());
    text.resize(std::fread(text.data(), 1, text.size(), file.get()));
    return text;
}

// Printable bytes that do not repeat with any power of two, so a misplaced piece shows.
std::string pattern(std::size_t size) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        text[i] = static_cast<char>('!' + (i * 7 + i / 251) % 94);
    }
    return text;
}

} // namespace

TEST(Transaction, SendsTheSelectorAndCrLfOnly) {
    auto server = start_gopher_server();
    const std::vector<std::string> selectors = {"", "/find\tword", "/dir/a:b"};
    for (const std::string& selector : selectors) {
        const Fetched fetched(*server, selector.c_str());
    }
    ASSERT_TRUE(wait_for_closed(*server, selectors.size()));
    const std::vector<std::string> seen = requests(*server);
    ASSERT_EQ(seen.size(), selectors.size());
    for (std::size_t i = 0; i < selectors.size(); ++i) {
        EXPECT_EQ(seen[i], selectors[i] + "\r\n") << "case=" << i;
    }
}

TEST(Transaction, ServerClosingAtOnceGivesEmptyContent) {
    auto server = start_gopher_server();
    serve_default(*server, Script{"", Reply::close_at_once});
    const Fetched fetched(*server, "/x");
    ASSERT_NE(fetched.content(), nullptr);
    EXPECT_STREQ(fetched.content(), "");
}

TEST(Transaction, ContentIsTheWholeResponseAroundBufferSizes) {
    auto server = start_gopher_server();
    // 4095 fills the first buffer up to its terminator's byte.
    for (std::size_t size : {1u, 4094u, 4095u, 4096u, 8191u, 8192u}) {
        const std::string response = pattern(size);
        serve_default(*server, Script{response});
        const Fetched fetched(*server, "");
        EXPECT_EQ(std::string(fetched.content()), response) << "case=" << size;
    }
}

TEST(Transaction, ResponseInSmallPiecesArrivesWhole) {
    auto server = start_gopher_server();
    const std::string response = pattern(3 * 1024 * 1024 + 123);
    serve_default(*server, Script{response, Reply::in_pieces, 7919, 1});
    const Fetched fetched(*server, "/big");
    EXPECT_TRUE(std::string(fetched.content()) == response);
}

TEST(Transaction, NulByteEndsTheContent) {
    auto server = start_gopher_server();
    serve_default(*server, Script{std::string("abc\0def", 7)});
    const Fetched fetched(*server, "");
    EXPECT_STREQ(fetched.content(), "abc");
}

TEST(Transaction, FirstAddressThatAcceptsIsUsedSilently) {
    auto server = start_gopher_server("127.0.0.1");
    // Nothing listens on 127.0.0.2 at this port, so it refuses.
    int fd = -1;
    const std::string messages = stderr_of([&] {
        fd = connect_first({ipv4("127.0.0.2"), ipv4("127.0.0.1")}, server->port);
    });
    const Socket connected{fd};
    ASSERT_GE(connected.fd, 0);
    EXPECT_EQ(peer_of(connected.fd).sin_addr.s_addr, ipv4("127.0.0.1").s_addr);
    EXPECT_EQ(messages, "");
}

TEST(Transaction, AddressesAreTriedInOrder) {
    auto first = start_gopher_server("127.0.0.2");
    auto second = start_gopher_server("127.0.0.1", first->port);
    const Socket connected{connect_first({ipv4("127.0.0.2"), ipv4("127.0.0.1")}, first->port)};
    ASSERT_GE(connected.fd, 0);
    EXPECT_EQ(peer_of(connected.fd).sin_addr.s_addr, ipv4("127.0.0.2").s_addr);
}

TEST(Transaction, NoAddressAcceptingGivesNoSocket) {
    auto refused = reserve_refused_port();
    EXPECT_EQ(connect_first({ipv4("127.0.0.1"), ipv4("127.0.0.2")}, refused->port), -1);
    EXPECT_EQ(connect_first({}, refused->port), -1);
}

TEST(Transaction, PortIsTakenModulo65536) {
    std::unique_ptr<GopherServer> server;
    try {
        server = start_gopher_server("127.0.0.1", 70000 - 65536);
    } catch (const std::exception& e) {
        GTEST_SKIP() << "port 4464 is busy: " << e.what();
    }
    const Socket connected{connect_first({ipv4("127.0.0.1")}, 70000)};
    ASSERT_GE(connected.fd, 0);
    EXPECT_EQ(ntohs(peer_of(connected.fd).sin_port), 4464);
}

TEST(Transaction, FailureGivesItsMessageAndNoContent) {
    auto server = start_gopher_server();
    auto refused = reserve_refused_port();
    auto full = start_full_listener();
    const std::string unresolvable = std::string(64, 'x') + ".invalid";
    const std::size_t cap = 10'000;
    serve(*server, "/stall", Script{"partly", Reply::stall});
    serve(*server, "/reset", Script{pattern(8000), Reply::reset});
    serve(*server, "/over", Script{pattern(cap + 1)});
    serve(*server, "/at", Script{pattern(cap)});
    struct Case {
        std::string host;
        int port;
        const char* selector;
        const char* message; // null: the whole response arrives
    };
    const Case cases[] = {
        {"127.0.0.1", refused->port, "", "Error: Could not connect to host"},
        {unresolvable, 70, "", "Error: Failed to resolve host"},
        {"127.0.0.1", full->port, "", "Error: Could not connect to host"},
        {"127.0.0.1", server->port, "/stall", "Error: Failed to read from socket."},
        {"127.0.0.1", server->port, "/reset", "Error: Failed to read from socket."},
        {"127.0.0.1", server->port, "/over", "Error: Response too large."},
        {"127.0.0.1", server->port, "/at", nullptr},
    };
    FetchWatch watch = quiet;
    watch.limits = {.connect_timeout_ms = 300, .idle_timeout_ms = 300, .response_cap = cap};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("case=") + c.host + ":" + std::to_string(c.port) + c.selector);
        Browser browser{};
        const FetchResult result =
            fetch_address(&browser, nullptr, c.host.c_str(), c.port, c.selector, watch);
        if (c.message == nullptr) {
            EXPECT_EQ(result.status, FetchStatus::done);
            ASSERT_NE(result.content, nullptr);
            EXPECT_EQ(std::string(result.content.get()), pattern(cap));
            continue;
        }
        EXPECT_EQ(result.status, FetchStatus::failed);
        EXPECT_STREQ(result.message, c.message);
        EXPECT_EQ(result.content, nullptr) << "a partial response is discarded";
        EXPECT_EQ(result.notes, "");
    }
}

TEST(Transaction, ResponseCapOfTheProgramIs256MiB) {
    EXPECT_EQ(TransactionLimits{}.response_cap, 256u * 1024 * 1024);
}

TEST(Transaction, EscOrInterruptCancelsAStalledFetchAndKeepsTheKeysBefore) {
    auto server = start_gopher_server();
    serve_default(*server, Script{"partly", Reply::stall});
    struct Case {
        std::string typed;
        std::string kept;
    };
    const Case cases[] = {
        {"\x1b", ""},
        {"\x03", ""},
        {"ab\x1b[Ac\x03zz", "ab\x1b[Aczz"},
        {"j\x1b", "j"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("case=" + testing::PrintToString(c.typed));
        const TypedKeys keys(c.typed);
        // The idle limit stays long: only the key can end this fetch in time.
        const Fetched fetched(*server, "", {.input_fd = keys.ends[0], .show_progress = false});
        EXPECT_EQ(fetched.result.status, FetchStatus::cancelled);
        EXPECT_STREQ(fetched.result.message, "Cancelled.");
        EXPECT_EQ(fetched.result.content, nullptr);
        EXPECT_EQ(fetched.queued(), c.kept);
    }
}

// Enter and Esc in one burst: the Esc is queued before the fetch looks, and still cancels it.
TEST(Transaction, EscQueuedWhenTheFetchBeginsCancelsIt) {
    auto server = start_gopher_server();
    serve_default(*server, Script{"partly", Reply::stall});
    const TypedKeys keys("");
    const Fetched fetched(*server, "", {.input_fd = keys.ends[0], .show_progress = false},
                          "x\x1b[Ay\x1b");
    EXPECT_EQ(fetched.result.status, FetchStatus::cancelled);
    EXPECT_EQ(fetched.queued(), "x\x1b[Ay");
}

TEST(Transaction, KeysTypedDuringAFetchAreQueuedInOrder) {
    auto server = start_gopher_server();
    serve(*server, "/stall", Script{"", Reply::stall});
    // An escape sequence is a key, not a cancel; the fetch ends by its idle limit.
    const std::string typed = "q\x1b[Bx\x1bOA";
    const TypedKeys keys(typed);
    const Fetched fetched(
        *server, "/stall",
        {.input_fd = keys.ends[0], .show_progress = false, .limits = {.idle_timeout_ms = 300}});
    EXPECT_EQ(fetched.result.status, FetchStatus::failed);
    EXPECT_EQ(fetched.queued(), typed);
}

TEST(Transaction, EndedInputIsLeftAloneAndTheFetchGoesOn) {
    auto server = start_gopher_server();
    serve_default(*server, Script{"whole", Reply::in_pieces, 1, 50});
    TypedKeys keys("");
    close(std::exchange(keys.ends[1], -1));
    const Fetched fetched(*server, "", {.input_fd = keys.ends[0], .show_progress = false});
    EXPECT_EQ(fetched.result.status, FetchStatus::done);
    EXPECT_STREQ(fetched.content(), "whole");
}

TEST(Transaction, ReceiveAllKeepsEveryByteUpToTheCap) {
    const std::string response = pattern(5000);
    for (const std::size_t cap : {std::size_t{4999}, std::size_t{5000}}) {
        int ends[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
        ASSERT_EQ(write(ends[1], response.data(), response.size()),
                  static_cast<ssize_t>(response.size()));
        close(ends[1]);
        const Transaction received = receive_all(ends[0], {.response_cap = cap});
        if (cap < response.size()) {
            EXPECT_EQ(received.state, TransactionState::failed) << "cap=" << cap;
            EXPECT_STREQ(received.failure, "Error: Response too large.");
        } else {
            ASSERT_EQ(received.state, TransactionState::done) << "cap=" << cap;
            EXPECT_EQ(std::string(received.content.get()), response);
        }
    }
}

TEST(FetchFailure, EndsWithMessageOnARestoredTerminal) {
    auto refused = reserve_refused_port();
    // A label longer than 63 characters cannot be put in a query, so the resolver gives up
    // without sending one: the test stays off the network.
    const std::string unresolvable = std::string(64, 'x') + ".invalid";
    struct Case {
        std::string address;
        std::string message;
    };
    const Case cases[] = {
        {"127.0.0.1:" + std::to_string(refused->port), "Error: Could not connect to host"},
        {unresolvable, "Error: Failed to resolve host"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("case=" + c.address);
        {
            auto run = start_program({c.address});
            ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
            EXPECT_TRUE(exited_with(*run, 1)) << describe_end(*run);
            EXPECT_EQ(run->errors, c.message + "\n");
            EXPECT_EQ(describe_mode_change(run->initial_termios, terminal_mode(*run)), "");
            EXPECT_TRUE(cursor(*run).visible);
        }
        {
            // With standard error on the terminal the message must outlast the clearing.
            auto run = start_program({c.address}, PtyOptions{.stderr_to_terminal = true});
            ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
            EXPECT_TRUE(exited_with(*run, 1)) << describe_end(*run);
            EXPECT_EQ(row_text(*run, 1), c.message) << screen_text(*run);
            EXPECT_EQ(cursor(*run).row, 2);
            EXPECT_TRUE(cursor(*run).visible);
        }
    }
}
