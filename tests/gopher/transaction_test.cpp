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
#include "support/browser_fixture.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"

namespace {

using Socket = Descriptor;

// A Browser whose one page has been fetched from the server.
struct Fetched : OwnedBrowser {
    Fetched(const GopherServer& server, const char* selector)
        : OwnedBrowser(server.address.c_str(), server.port, selector, '0') {
        fetch_page(&browser);
    }
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

TEST(TransactionDeathTest, SilentServerEndsTheReceive) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto server = start_gopher_server();
    serve_default(*server, Script{"", Reply::stall});
    EXPECT_EXIT(
        {
            const Socket connected{open_gopher_connection("127.0.0.1", server->port, "")};
            std::ignore = receive_all(connected.fd, 200);
        },
        testing::ExitedWithCode(1), "^Error: Failed to read from socket\\.\n$");
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
