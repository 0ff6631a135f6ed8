// Pages on screen while the rest of them arrives: the first screen before the rest, keys that
// act on what has arrived, and a transfer that stops early leaving the page marked incomplete.
#include <gtest/gtest.h>

#include <string>

#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"

namespace {

using namespace e2e;

constexpr int rows = 24;
constexpr Look message_look{colour::red, colour::none, true};

std::string lines(int from, int to) {
    std::string text;
    for (int i = from; i <= to; ++i) {
        text += "Line " + std::to_string(i) + "\r\n";
    }
    return text;
}

// Two screenfuls, then a pause that lasts until the test opens the gate, then the rest (lines
// 41 to 200) and the end that `after` gives.
Script paused_text(Reply after = Reply::whole) {
    Script script{lines(1, 40), Reply::gated};
    script.rest = lines(41, 200);
    script.after = after;
    return script;
}

std::string header(const PtyRun& run) {
    return row_text(run, 1);
}

// A text asked for on the command line, shown from its first screen on while the server waits.
struct PausedPage {
    std::unique_ptr<GopherServer> server = start_gopher_server();
    std::unique_ptr<PtyRun> run;

    explicit PausedPage(Reply after = Reply::whole) {
        serve(*server, "/text", paused_text(after));
        run = start_program({address_of(*server, "/0/text")});
        EXPECT_TRUE(wait_for_row(*run, 4, " Line 1")) << screen_text(*run) << describe_end(*run);
        EXPECT_TRUE(wait_for_row(*run, 23, " Line 20")) << screen_text(*run);
    }
};

TEST(LoadingScreen, FirstScreenComesBeforeTheRestAndKeysActOnWhatHasArrived) {
    PausedPage page;
    PtyRun& run = *page.run;
    EXPECT_EQ(request_count(*page.server), 1u);
    EXPECT_EQ(header(run).find("(incomplete)"), std::string::npos);
    send_keys(run, "\033[B");
    ASSERT_TRUE(wait_for_row(run, 4, " Line 2")) << screen_text(run);
    // End and Page Down stop at the end of what is there.
    send_keys(run, "\033[F");
    ASSERT_TRUE(wait_for_row(run, 23, " Line 40")) << screen_text(run);
    const std::size_t mark = run.output.size();
    send_keys(run, "\033[6~");
    ASSERT_TRUE(wait_for_frame(run, mark, [&] { return row_text(run, 23) == " Line 40"; }))
        << screen_text(run);
    open_gate(*page.server);
    ASSERT_TRUE(wait_for_closed(*page.server, 1));
    send_keys(run, "\033[F");
    ASSERT_TRUE(wait_for_row(run, 23, " Line 200")) << screen_text(run);
    EXPECT_EQ(header(run).find("(incomplete)"), std::string::npos);
    EXPECT_EQ(request_count(*page.server), 1u);
    send_keys(run, "q");
    ASSERT_TRUE(wait_for_exit(run)) << describe_end(run);
    EXPECT_TRUE(exited_with(run, 0)) << describe_end(run);
}

// A reset after the first screen keeps the page with what arrived, marked incomplete on the
// header for as long as it is shown; a reload fetches it anew, whole.
TEST(LoadingScreen, ResetAfterTheFirstScreenKeepsThePageMarkedIncomplete) {
    PausedPage page(Reply::reset);
    PtyRun& run = *page.run;
    open_gate(*page.server);
    const std::string message = "Error: Failed to read from socket. The page is incomplete.";
    ASSERT_TRUE(wait_for_row(run, rows, message)) << screen_text(run);
    EXPECT_EQ(look_at(run, rows, 1), message_look);
    EXPECT_TRUE(header(run).ends_with(" (incomplete)")) << header(run);
    send_keys(run, "\033[F");
    ASSERT_TRUE(wait_until(run, [&] { return row_text(run, rows).empty(); })) << screen_text(run);
    EXPECT_TRUE(row_text(run, 23).starts_with(" Line ")) << screen_text(run);
    EXPECT_TRUE(header(run).ends_with(" (incomplete)")) << "it stays marked";

    serve(*page.server, "/text", Script{lines(1, 200)});
    send_keys(run, "r");
    ASSERT_TRUE(wait_for_closed(*page.server, 2));
    ASSERT_TRUE(wait_until(run, [&] {
        return header(run).find("(incomplete)") == std::string::npos;
    })) << screen_text(run);
    send_keys(run, "\033[F");
    ASSERT_TRUE(wait_for_row(run, 23, " Line 200")) << screen_text(run);
}

// A server that goes silent after the first screen: the idle bound ends the transfer (the
// test build's bound is 2 s), the page stays.
TEST(LoadingScreen, StallAfterTheFirstScreenKeepsThePageMarkedIncomplete) {
    auto server = start_gopher_server();
    serve(*server, "/text", Script{lines(1, 40), Reply::stall});
    PtyOptions options;
    options.command = {KESMOR_SMALL_LIMITS_BINARY};
    auto run = start_program({address_of(*server, "/0/text")}, options);
    ASSERT_TRUE(wait_for_row(*run, 4, " Line 1")) << screen_text(*run) << describe_end(*run);
    ASSERT_TRUE(
        wait_for_row(*run, rows, "Error: Failed to read from socket. The page is incomplete."))
        << screen_text(*run);
    EXPECT_TRUE(header(*run).ends_with(" (incomplete)")) << header(*run);
    EXPECT_EQ(row_text(*run, 4), " Line 1");
}

// Esc or Ctrl-C while the rest arrives stops the transfer; the page keeps what arrived.
TEST(LoadingScreen, CancelDuringThePauseKeepsWhatArrived) {
    for (const char* key : {"\033", "\003"}) {
        SCOPED_TRACE("case=" + testing::PrintToString(std::string(key)));
        PausedPage page;
        PtyRun& run = *page.run;
        send_keys(run, key);
        ASSERT_TRUE(wait_for_row(run, rows, "Cancelled. The page is incomplete."))
            << screen_text(run);
        ASSERT_TRUE(wait_for_closed(*page.server, 1)) << "the transfer stops";
        EXPECT_TRUE(header(run).ends_with(" (incomplete)")) << header(run);
        EXPECT_EQ(row_text(run, 4), " Line 1");
        EXPECT_FALSE(run.reaped) << describe_end(run);
    }
}

// Leaving a page while it loads stops its transfer at once; coming back shows what arrived,
// marked incomplete.
TEST(LoadingScreen, BackDuringThePauseStopsTheTransfer) {
    auto server = start_gopher_server();
    serve(*server, "", Script{menu_line('0', "Paused text", "/text", "127.0.0.1", server->port)});
    serve(*server, "/text", paused_text());
    auto run = start_program({address_of(*server)});
    ASSERT_TRUE(wait_for_row(*run, 4, at_column(2, "->Paused text"))) << screen_text(*run);
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_row(*run, 4, " Line 1")) << screen_text(*run);
    send_keys(*run, "b");
    ASSERT_TRUE(wait_for_row(*run, 4, at_column(2, "->Paused text"))) << screen_text(*run);
    ASSERT_TRUE(wait_for_closed(*server, 2)) << "the transfer stops at once";
    send_keys(*run, "f");
    ASSERT_TRUE(wait_for_row(*run, 4, " Line 1")) << screen_text(*run);
    EXPECT_TRUE(header(*run).ends_with(" (incomplete)")) << header(*run);
    EXPECT_EQ(request_count(*server), 2u) << "forward shows what arrived, without a fetch";
}

// A menu: its first screen is drawn and placed while the rest arrives, Down does not wrap to
// the top meanwhile, and the rows past the first screen become reachable as they arrive.
TEST(LoadingScreen, MenuRowsBecomeReachableAsTheyArrive) {
    auto server = start_gopher_server();
    std::string first;
    std::string rest;
    for (int i = 1; i <= 60; ++i) {
        (i <= 25 ? first : rest) += menu_line('0', "Item " + std::to_string(i),
                                              "/" + std::to_string(i), "127.0.0.1", server->port);
    }
    Script script{first, Reply::gated};
    script.rest = rest;
    serve(*server, "", script);
    auto run = start_program({address_of(*server)});
    ASSERT_TRUE(wait_for_row(*run, 4, at_column(2, "->Item 1"))) << screen_text(*run);
    send_keys(*run, "\033[F");
    ASSERT_TRUE(wait_for_row(*run, 23, at_column(2, "->Item 25"))) << screen_text(*run);
    const std::size_t mark = run->output.size();
    send_keys(*run, "\033[B");
    ASSERT_TRUE(wait_for_frame(*run, mark, [&] {
        return row_text(*run, 23) == at_column(2, "->Item 25");
    })) << "no wrap while loading";
    open_gate(*server);
    ASSERT_TRUE(wait_for_closed(*server, 1));
    send_keys(*run, "\033[B");
    ASSERT_TRUE(wait_for_row(*run, 23, at_column(2, "->Item 26"))) << screen_text(*run);
    send_keys(*run, "\033[F");
    ASSERT_TRUE(wait_for_row(*run, 23, at_column(2, "->Item 60"))) << screen_text(*run);
    send_keys(*run, "\033[B");
    ASSERT_TRUE(wait_for_row(*run, 4, at_column(2, "->Item 1"))) << "the whole menu wraps";
}

} // namespace
