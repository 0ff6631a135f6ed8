// Failures and cancels after the first page, as the user sees them: the page they were on
// comes back as it was left, the message in red on the bottom row, the history untouched.
#include <gtest/gtest.h>

#include <string>

#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"

namespace {

using namespace e2e;

constexpr int rows = 24;
constexpr Look message_look{colour::red, colour::none, true};
// The listed links start on content row 2 (screen row 5), after an information line.
constexpr int good_row = 5;

std::string long_text(int lines) {
    std::string text;
    for (int i = 1; i <= lines; ++i) {
        text += "Line " + std::to_string(i) + "\r\n";
    }
    return text;
}

// The root menu: a good text, a second menu, then the given failing link (row 7).
struct Site {
    std::unique_ptr<GopherServer> server = start_gopher_server();
    std::unique_ptr<RefusedPort> refused = reserve_refused_port();
    std::unique_ptr<FullListener> full = start_full_listener();

    Site() {
        serve(*server, "/good", Script{"The good page\r\n"});
        serve(*server, "/second",
              Script{menu_line('i', "Second menu", "", "x", 1) +
                     menu_line('0', "Good again", "/good", "127.0.0.1", server->port) + ".\r\n"});
        serve(*server, "/stall", Script{"Half a li", Reply::stall});
        // Reset before a screenful has arrived: a page cut after its first screen is kept
        // (tests/nav/loading_e2e_test.cpp).
        serve(*server, "/reset", Script{long_text(3), Reply::reset});
        serve(*server, "/big", Script{std::string(KESMOR_SMALL_CAP + 1, 'a')});
        serve(*server, "/slow", Script{long_text(30), Reply::in_pieces, 20, 100});
    }

    void root_with(const std::string& host, int port, const std::string& selector,
                   char type = '0') {
        serve(*server, "",
              Script{menu_line('i', "Root menu", "", "x", 1) +
                     menu_line('0', "Good", "/good", "127.0.0.1", server->port) +
                     menu_line('1', "Second", "/second", "127.0.0.1", server->port) +
                     menu_line(type, "Failing", selector, host, port) + ".\r\n"});
    }
};

std::vector<std::string> rows_above_bottom(const PtyRun& run) {
    std::vector<std::string> text;
    for (int row = 1; row < rows; ++row) {
        text.push_back(row_text(run, row));
    }
    return text;
}

// Opens the second menu and goes back, so that the history has a forward page, then moves the
// marker to the failing link (row 7).
void leave_forward_history_and_select_failing(PtyRun& run) {
    ASSERT_TRUE(wait_for_row(run, good_row, at_column(2, "->Good"))) << screen_text(run);
    send_keys(run, "\033[B");
    ASSERT_TRUE(wait_for_row(run, good_row + 1, at_column(2, "->Second"))) << screen_text(run);
    send_keys(run, "\r");
    ASSERT_TRUE(wait_for_text(run, "Second menu")) << screen_text(run);
    // Back shows the menu with the marker where it was left.
    send_keys(run, "b");
    ASSERT_TRUE(wait_for_row(run, good_row + 1, at_column(2, "->Second"))) << screen_text(run);
    send_keys(run, "\033[B");
    ASSERT_TRUE(wait_for_row(run, good_row + 2, at_column(2, "->Failing"))) << screen_text(run);
}

// The page as it was left, with the message on the bottom row until the next key; then the
// forward history and a second link still work.
void expect_kept_with_message(PtyRun& run, const std::vector<std::string>& before,
                              const std::string& message) {
    ASSERT_TRUE(wait_for_row(run, rows, message)) << screen_text(run) << describe_end(run);
    EXPECT_EQ(rows_above_bottom(run), before) << screen_text(run);
    EXPECT_EQ(look_at(run, rows, 1), message_look);
    EXPECT_FALSE(run.reaped) << describe_end(run);

    send_keys(run, "f");
    ASSERT_TRUE(wait_for_text(run, "Second menu")) << "forward still goes where it went\n"
                                                   << screen_text(run);
    EXPECT_EQ(row_text(run, rows), "") << "the message goes at the next key";
    send_keys(run, "b");
    ASSERT_TRUE(wait_for_row(run, good_row + 2, at_column(2, "->Failing"))) << screen_text(run);
    send_keys(run, "\033[H");
    ASSERT_TRUE(wait_for_row(run, good_row, at_column(2, "->Good"))) << screen_text(run);
    send_keys(run, "\r");
    ASSERT_TRUE(wait_for_text(run, "The good page")) << screen_text(run);
    send_keys(run, "b");
    ASSERT_TRUE(wait_for_text(run, "Root menu")) << "back still goes where it went";
    send_keys(run, "q");
    ASSERT_TRUE(wait_for_exit(run)) << describe_end(run);
    EXPECT_TRUE(exited_with(run, 0)) << describe_end(run);
}

TEST(FailureScreen, EachFailureAfterTheFirstPageKeepsThePageAndTheHistory) {
    Site site;
    const std::string unresolvable = std::string(64, 'x') + ".invalid";
    struct Case {
        const char* name;
        std::string host;
        int port;
        const char* selector;
        const char* message;
        bool small_limits; // the test build with short time-outs and a 64 KiB cap
    };
    const int port = site.server->port;
    const Case cases[] = {
        {"refused", "127.0.0.1", site.refused->port, "", "Error: Could not connect to host", false},
        {"unresolvable", unresolvable, 70, "", "Error: Failed to resolve host", false},
        {"never accepted", "127.0.0.1", site.full->port, "", "Error: Could not connect to host",
         true},
        {"reset", "127.0.0.1", port, "/reset", "Error: Failed to read from socket.", false},
        {"stall", "127.0.0.1", port, "/stall", "Error: Failed to read from socket.", true},
        {"over the cap", "127.0.0.1", port, "/big", "Error: Response too large.", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("case=") + c.name);
        site.root_with(c.host, c.port, c.selector);
        PtyOptions options;
        if (c.small_limits) {
            options.command = {KESMOR_SMALL_LIMITS_BINARY};
        }
        auto run = start_program({address_of(*site.server)}, options);
        leave_forward_history_and_select_failing(*run);
        const std::vector<std::string> before = rows_above_bottom(*run);
        send_keys(*run, "\r");
        expect_kept_with_message(*run, before, c.message);
    }
}

TEST(FailureScreen, FailedReloadKeepsTheContentWhereItWasScrolled) {
    auto server = start_gopher_server();
    serve(*server, "/text", Script{long_text(100)});
    auto run = start_program({address_of(*server, "/0/text")});
    ASSERT_TRUE(wait_for_text(*run, "Line 1")) << screen_text(*run);
    send_keys(*run, "\033[6");
    ASSERT_TRUE(wait_for_row(*run, 4, at_column(2, "Line 21"))) << screen_text(*run);
    const std::vector<std::string> before = rows_above_bottom(*run);
    serve(*server, "/text", Script{"Half of a new", Reply::reset});
    send_keys(*run, "r");
    ASSERT_TRUE(wait_for_row(*run, rows, "Error: Failed to read from socket."))
        << screen_text(*run);
    EXPECT_EQ(rows_above_bottom(*run), before);
    send_keys(*run, "\033[B");
    ASSERT_TRUE(wait_for_row(*run, 4, at_column(2, "Line 22"))) << screen_text(*run);
    EXPECT_EQ(row_text(*run, rows), "") << "the message goes at the next key";
}

// A reload that does not finish after its first screen (cancelled or failed) puts the page back as
// it was, where it was, not marked incomplete, with the message alone.
TEST(FailureScreen, AReloadCutShortAfterItsFirstScreenPutsThePageBack) {
    std::string fresh;
    for (int i = 1; i <= 40; ++i) {
        fresh += "Fresh " + std::to_string(i) + "\r\n";
    }
    const struct {
        const char* name;
        const char* key; // after the new copy's first screen; none: the server resets
        const char* message;
    } cases[] = {{"cancel", "\033", "Cancelled."},
                 {"failure", nullptr, "Error: Failed to read from socket."}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("case=") + c.name);
        auto server = start_gopher_server();
        serve(*server, "/text", Script{long_text(100)});
        auto run = start_program({address_of(*server, "/0/text")});
        ASSERT_TRUE(wait_for_text(*run, "Line 1")) << screen_text(*run);
        send_keys(*run, "\033[6");
        ASSERT_TRUE(wait_for_row(*run, 4, at_column(2, "Line 21"))) << screen_text(*run);
        const std::vector<std::string> before = rows_above_bottom(*run);
        serve(*server, "/text", Script{fresh, Reply::gated, 64, 1, "", Reply::reset});
        send_keys(*run, "r");
        // The new copy at the place kept.
        ASSERT_TRUE(wait_for_row(*run, 4, at_column(2, "Fresh 21"))) << screen_text(*run);
        if (c.key != nullptr) {
            send_keys(*run, c.key);
        } else {
            open_gate(*server);
        }
        ASSERT_TRUE(wait_until(*run, [&] { return rows_above_bottom(*run) == before; }))
            << screen_text(*run);
        EXPECT_EQ(row_text(*run, 1).find("(incomplete)"), std::string::npos);
        ASSERT_TRUE(wait_for_row(*run, rows, c.message)) << screen_text(*run);
        send_keys(*run, "\033[B");
        ASSERT_TRUE(wait_for_row(*run, 4, at_column(2, "Line 22"))) << screen_text(*run);
    }
}

TEST(FailureScreen, SearchAndAddressPromptsFailTheSameWay) {
    Site site;
    site.root_with("127.0.0.1", site.refused->port, "");
    auto run = start_program({address_of(*site.server)});
    ASSERT_TRUE(wait_for_row(*run, good_row, at_column(2, "->Good"))) << screen_text(*run);
    const std::vector<std::string> before = rows_above_bottom(*run);
    send_keys(*run, "o");
    ASSERT_TRUE(wait_for_text(*run, "Open URL:")) << screen_text(*run);
    send_keys(*run, "127.0.0.1:" + std::to_string(site.refused->port) + "\r");
    ASSERT_TRUE(wait_for_row(*run, rows, "Error: Could not connect to host")) << screen_text(*run);
    EXPECT_EQ(rows_above_bottom(*run), before);
    send_keys(*run, "q");
    ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
    EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run);
}

TEST(CancelScreen, EscOrCtrlCBringsThePageBack) {
    Site site;
    site.root_with("127.0.0.1", site.server->port, "/stall");
    for (const char* key : {"\033", "\003"}) {
        SCOPED_TRACE("case=" + testing::PrintToString(std::string(key)));
        auto run = start_program({address_of(*site.server)});
        leave_forward_history_and_select_failing(*run);
        const std::vector<std::string> before = rows_above_bottom(*run);
        const std::size_t requests_before = request_count(*site.server);
        send_keys(*run, "\r");
        ASSERT_TRUE(wait_for_requests(*site.server, requests_before + 1));
        send_keys(*run, key);
        // Well within the program's 30 s wait for a stalled server.
        ASSERT_TRUE(wait_until(
            *run, [&] { return row_text(*run, rows) == "Cancelled."; }, 10'000))
            << screen_text(*run);
        EXPECT_EQ(rows_above_bottom(*run), before);
        EXPECT_EQ(look_at(*run, rows, 1), message_look);
        expect_kept_with_message(*run, before, "Cancelled.");
    }
}

TEST(CancelScreen, ResizeWhileLoadingRedrawsThePageWithTheProgress) {
    Site site;
    site.root_with("127.0.0.1", site.server->port, "/stall");
    auto run = start_program({address_of(*site.server)});
    leave_forward_history_and_select_failing(*run);
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_row(*run, rows, "Receiving... 0 KB")) << screen_text(*run);
    const std::size_t mark = run->output.size();
    resize(*run, 30, 100);
    ASSERT_TRUE(wait_until(*run,
                           [&] {
                               return row_text(*run, 30) == "Receiving... 0 KB" &&
                                      row_text(*run, good_row + 2) == at_column(12, "->Failing") &&
                                      screen_contains(*run, "Root menu");
                           }))
        << screen_text(*run) << testing::PrintToString(run->output.substr(mark));
    send_keys(*run, "\033");
    ASSERT_TRUE(wait_for_row(*run, 30, "Cancelled.")) << screen_text(*run);
}

TEST(CancelScreen, KeysTypedWhileLoadingActOnceThePageIsShown) {
    Site site;
    serve(*site.server, "/slowmenu",
          Script{menu_line('i', "Slow menu", "", "x", 1) +
                     menu_line('0', "First", "/good", "127.0.0.1", site.server->port) +
                     menu_line('0', "Next", "/good", "127.0.0.1", site.server->port) + ".\r\n",
                 Reply::in_pieces, 16, 100});
    site.root_with("127.0.0.1", site.server->port, "/slowmenu", '1');
    auto run = start_program({address_of(*site.server)});
    leave_forward_history_and_select_failing(*run);
    const std::size_t requests_before = request_count(*site.server);
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_requests(*site.server, requests_before + 1));
    send_keys(*run, "\033[B");
    ASSERT_TRUE(wait_for_row(*run, good_row + 1, at_column(2, "->Next"))) << screen_text(*run);
    EXPECT_TRUE(screen_contains(*run, "Slow menu"));
}

} // namespace
