// Reaching a server as the user sees it: a name lookup that does not answer shows its progress,
// can be cancelled and gives up at its bound; IPv6 literals in every form of address, and in
// the header and the progress row; addresses that race, so that one that never answers does
// not hold the page back.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <netdb.h>
#include <stdexcept>
#include <string>

#include "gopher/resolver.hpp"
#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/name_sandbox.hpp"
#include "support/pty_runner.hpp"

namespace {

using namespace e2e;

constexpr int rows = 24;
constexpr const char* esc = "\033";
constexpr const char* ctrl_c = "\003";
constexpr const char* looking_up = "Looking up never.test...";

// The header's URL, without the blanks that centre it.
std::string header(const PtyRun& run) {
    const std::string row = row_text(run, 1);
    const std::size_t first = row.find_first_not_of(' ');
    return first == std::string::npos ? "" : row.substr(first);
}

std::string name_of(const char* cancel) {
    return cancel == esc ? "Esc" : "Ctrl-C";
}

// The program in a mount namespace whose resolv.conf names only a server that never answers:
// every name outside the hosts file waits on it.
class LookupScreen : public testing::Test {
  protected:
    void SetUp() override {
        if (!name_sandbox_permitted()) {
            GTEST_SKIP() << "no mount namespaces here (needs root)";
        }
        name_server = start_silent_name_server();
        if (!name_server) {
            GTEST_SKIP() << "no loopback address for a name server on port 53";
        }
        sandbox = make_name_sandbox(resolv_conf_for(name_server->address, 30),
                                    "127.0.0.1 localhost\n::1 localhost\n");
        ASSERT_TRUE(sandbox);
        serve(*server, "", root());
        serve(*server, "/good", Script{"The good page\r\n"});
    }

    // "Never" (row 5, selected) waits on the silent server; "Good" (row 6) is on the fixture.
    Script root() const {
        return Script{menu_line('i', "Lookup menu", "", "x", 1) +
                      menu_line('1', "Never", "/never", "never.test", server->port) +
                      menu_line('0', "Good", "/good", "127.0.0.1", server->port) + ".\r\n"};
    }

    std::unique_ptr<PtyRun> start(const std::string& address, const char* binary = KESMOR_BINARY) {
        return start_program({address}, PtyOptions{.command = {binary}, .sandbox = sandbox.get()});
    }

    std::unique_ptr<GopherServer> server = start_gopher_server();
    std::unique_ptr<SilentNameServer> name_server;
    std::unique_ptr<NameSandbox> sandbox;
};

// On the first page, the lookup's progress follows the window, and a cancel ends the run as a
// cancel before the first page does.
TEST_F(LookupScreen, FirstPageLookupShowsItsProgressAndCancels) {
    for (const char* cancel : {esc, ctrl_c}) {
        SCOPED_TRACE(name_of(cancel));
        auto run = start("never.test");
        ASSERT_TRUE(wait_for_row(*run, rows, looking_up)) << screen_text(*run) << run->errors;
        resize(*run, 30, 100);
        ASSERT_TRUE(wait_for_row(*run, 30, looking_up)) << screen_text(*run);
        send_keys(*run, cancel);
        ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
        EXPECT_TRUE(exited_with(*run, 1)) << describe_end(*run);
        EXPECT_EQ(run->errors, "Cancelled.\n");
        EXPECT_EQ(describe_mode_change(run->initial_termios, terminal_mode(*run)), "");
    }
}

// After the first page, a cancelled lookup brings the page back with "Cancelled.", and the
// session goes on.
TEST_F(LookupScreen, LaterLookupCancelsAndTheSessionGoesOn) {
    auto run = start(address_of(*server));
    ASSERT_TRUE(wait_for_row(*run, 5, at_column(2, "->Never"))) << screen_text(*run) << run->errors;
    const std::string menu = screen_text(*run);
    for (const char* cancel : {esc, ctrl_c}) {
        SCOPED_TRACE(name_of(cancel));
        send_keys(*run, "\r");
        ASSERT_TRUE(wait_for_row(*run, rows, looking_up)) << screen_text(*run);
        send_keys(*run, cancel);
        ASSERT_TRUE(wait_for_row(*run, rows, "Cancelled.")) << screen_text(*run);
        EXPECT_EQ(header(*run), url_of(*server)) << screen_text(*run);
        EXPECT_EQ(row_text(*run, 5), at_column(2, "->Never")) << screen_text(*run);
        EXPECT_FALSE(finished(*run)) << describe_end(*run);
    }
    send_keys(*run, "\033[B\r");
    ASSERT_TRUE(wait_for_text(*run, "The good page")) << screen_text(*run);
    send_keys(*run, "q");
    ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
    EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run) << run->errors;
}

// The test build gives a lookup 2 s instead of 10: the first page's failure ends the run, a
// later one's shows on the page left.
TEST_F(LookupScreen, LookupThatNeverAnswersFailsAtItsBound) {
    {
        auto run = start("never.test", KESMOR_SMALL_LIMITS_BINARY);
        ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run) << screen_text(*run);
        EXPECT_TRUE(exited_with(*run, 1)) << describe_end(*run);
        EXPECT_EQ(run->errors, "Error: Failed to resolve host\n");
    }
    auto run = start(address_of(*server), KESMOR_SMALL_LIMITS_BINARY);
    ASSERT_TRUE(wait_for_row(*run, 5, at_column(2, "->Never"))) << screen_text(*run) << run->errors;
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_row(*run, rows, "Error: Failed to resolve host")) << screen_text(*run);
    EXPECT_EQ(header(*run), url_of(*server)) << screen_text(*run);
    send_keys(*run, "q");
    ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
    EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run) << run->errors;
}

// A server on ::1 only, for the three ways an address reaches the program.
class Ipv6Screen : public testing::Test {
  protected:
    void SetUp() override {
        try {
            six = start_gopher_server("::1");
        } catch (const std::exception& e) {
            GTEST_SKIP() << "no IPv6 loopback: " << e.what();
        }
        serve(*six, "", Script{menu_line('i', "Root over IPv6", "", "x", 1) + ".\r\n"});
        serve(*six, "/six", Script{"A text over IPv6\r\n"});
    }

    std::string url(const std::string& path) const {
        return "gopher://[::1]:" + std::to_string(six->port) + path;
    }

    std::unique_ptr<GopherServer> six;
};

TEST_F(Ipv6Screen, BracketedLiteralOnTheCommandLine) {
    auto run = start_program({"[::1]:" + std::to_string(six->port)});
    ASSERT_TRUE(wait_for_text(*run, "Root over IPv6")) << screen_text(*run) << run->errors;
    EXPECT_EQ(header(*run), url("/")) << screen_text(*run);
    send_keys(*run, "q");
    ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
    EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run) << run->errors;
}

// A menu line whose host is a bare literal, then the same page typed at the 'o' prompt.
TEST_F(Ipv6Screen, MenuHostAndTypedAddress) {
    auto four = start_gopher_server();
    serve(*four, "",
          Script{menu_line('i', "Root over IPv4", "", "x", 1) +
                 menu_line('0', "Six", "/six", "::1", six->port) + ".\r\n"});
    auto run = start_program({address_of(*four)});
    ASSERT_TRUE(wait_for_row(*run, 5, at_column(2, "->Six"))) << screen_text(*run) << run->errors;
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_text(*run, "A text over IPv6")) << screen_text(*run) << run->errors;
    EXPECT_EQ(header(*run), url("/0/six")) << screen_text(*run);
    send_keys(*run, "b");
    ASSERT_TRUE(wait_for_row(*run, 5, at_column(2, "->Six"))) << screen_text(*run);
    send_keys(*run, "o");
    ASSERT_TRUE(wait_for_text(*run, "Open URL:")) << screen_text(*run);
    send_keys(*run, "[::1]:" + std::to_string(six->port) + "/0/six\r");
    ASSERT_TRUE(wait_for_text(*run, "A text over IPv6")) << screen_text(*run) << run->errors;
    EXPECT_EQ(header(*run), url("/0/six")) << screen_text(*run);
    send_keys(*run, "q");
    ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
    EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run) << run->errors;
}

TEST_F(Ipv6Screen, ProgressShowsTheLiteralInBrackets) {
    auto full = start_full_listener("::1");
    const std::string port = std::to_string(full->port);
    auto run = start_program({"[::1]:" + port});
    ASSERT_TRUE(wait_for_row(*run, rows, "Connecting to [::1]:" + port + "..."))
        << screen_text(*run) << run->errors;
    send_keys(*run, esc);
    ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
    EXPECT_TRUE(exited_with(*run, 1)) << describe_end(*run);
    EXPECT_EQ(run->errors, "Cancelled.\n");
}

// A name whose first address never answers and whose second does: the second is tried after
// the stagger, not after the first's 10 s bound. The wait below is far shorter than that bound
// and far longer than the stagger.
TEST(RaceScreen, AddressThatNeverAnswersDoesNotHoldThePageBack) {
    if (!name_sandbox_permitted()) {
        GTEST_SKIP() << "no mount namespaces here (needs root)";
    }
    auto server = start_gopher_server("127.0.0.1");
    serve(*server, "", Script{menu_line('i', "Raced page", "", "x", 1) + ".\r\n"});
    std::unique_ptr<FullListener> full;
    try {
        full = start_full_listener("::1", server->port);
    } catch (const std::exception& e) {
        GTEST_SKIP() << "no full listener on [::1]:" << server->port << ": " << e.what();
    }
    const auto sandbox =
        make_name_sandbox("", "127.0.0.1 localhost\n::1 race.test\n127.0.0.1 race.test\n");
    ASSERT_TRUE(sandbox);
    // The resolver's order puts ::1 first (its precedence is the higher); the test means
    // nothing otherwise.
    const SandboxRun order = run_in_name_sandbox(*sandbox, [] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (getaddrinfo("race.test", nullptr, &hints, &found) != 0) {
            return std::string("race.test does not resolve");
        }
        const bool six_first = found->ai_family == AF_INET6 && found->ai_next != nullptr;
        freeaddrinfo(found);
        return six_first ? std::string() : std::string("::1 is not first");
    });
    ASSERT_TRUE(sandbox_run_clean(order)) << order.report;

    auto run = start_program({"race.test:" + std::to_string(server->port)},
                             PtyOptions{.sandbox = sandbox.get()});
    ASSERT_TRUE(wait_for_text(*run, "Raced page", 5'000)) << screen_text(*run) << run->errors;
    EXPECT_EQ(header(*run), "gopher://race.test:" + std::to_string(server->port) + "/");
    send_keys(*run, "q");
    ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
    EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run) << run->errors;
}

} // namespace
