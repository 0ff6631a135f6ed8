// A page loading in the program: progress, cancel, keys typed meanwhile, the size cap.
#include <functional>
#include <gtest/gtest.h>

#include <string>
#include <sys/resource.h>

#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"

namespace {

constexpr const char* hide_cursor = "\033[?25l";

std::string address_of(const GopherServer& server) {
    return "127.0.0.1:" + std::to_string(server.port);
}

std::string numbered_lines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        text += "line " + std::to_string(i) + std::string(90, '.') + "\r\n";
    }
    return text;
}

void expect_restored(const PtyRun& run) {
    EXPECT_EQ(describe_mode_change(run.initial_termios, terminal_mode(run)), "");
    EXPECT_TRUE(cursor(run).visible);
}

TEST(FetchE2e, SlowPageShowsProgressOnTheBottomRowUntilItHasArrived) {
    auto server = start_gopher_server();
    // About 3 KB over two and a half seconds: the first screen (20 lines) after two of them.
    serve_default(*server, Script{numbered_lines(30), Reply::in_pieces, 120, 100});
    auto run = start_program({address_of(*server) + "/0/slow"});
    ASSERT_TRUE(wait_until(*run, [&] { return row_text(*run, 24).starts_with("Receiving... "); }))
        << screen_text(*run) << run->errors;
    // The header says where the page comes from; nothing else is drawn.
    EXPECT_EQ(row_text(*run, 1),
              std::string(23, ' ') + "gopher://" + address_of(*server) + "/0/slow");
    for (int row = 2; row < 24; ++row) {
        EXPECT_EQ(row_text(*run, row), "") << "row=" << row << " nothing else is drawn";
    }
    // Only what changed is written, so the count is looked for on the screen as it grows.
    bool grew = false;
    const auto watch = [&](const std::function<bool()>& done) {
        return wait_until(*run, [&] {
            grew = grew || row_text(*run, 24) == "Receiving... 2 KB";
            return done();
        });
    };
    ASSERT_TRUE(watch([&] { return screen_contains(*run, " 1...."); })) // "line " wraps alone
        << screen_text(*run);
    // The rest arrives under the page; the row is free once it has.
    ASSERT_TRUE(watch([&] { return row_text(*run, 24).empty(); })) << screen_text(*run);
    EXPECT_TRUE(grew) << "a count that grows";
    send_keys(*run, "q");
    ASSERT_TRUE(wait_for_exit(*run));
    EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run);
}

TEST(FetchE2e, FastPageDrawsNoProgress) {
    auto server = start_gopher_server();
    serve_default(*server, Script{"just text\r\n"});
    auto run = start_program({address_of(*server) + "/0/fast"});
    ASSERT_TRUE(wait_for_text(*run, "just text")) << screen_text(*run) << run->errors;
    EXPECT_EQ(run->output.find("Receiving"), std::string::npos);
    EXPECT_EQ(run->output.find("Connecting"), std::string::npos);
}

TEST(FetchE2e, EscOrCtrlCCancelsTheFirstPageLikeAFailure) {
    auto server = start_gopher_server();
    serve_default(*server, Script{"", Reply::stall});
    for (const char* key : {"\033", "\003"}) {
        SCOPED_TRACE("case=" + testing::PrintToString(std::string(key)));
        auto run = start_program({address_of(*server)});
        ASSERT_TRUE(wait_for_output(*run, hide_cursor)) << describe_end(*run);
        ASSERT_TRUE(wait_for_requests(*server, request_count(*server)));
        send_keys(*run, key);
        ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
        EXPECT_TRUE(exited_with(*run, 1)) << describe_end(*run);
        EXPECT_EQ(run->errors, "Cancelled.\n");
        expect_restored(*run);
    }
}

TEST(FetchE2e, KeysTypedWhileLoadingActOnceThePageIsShown) {
    auto server = start_gopher_server();
    const std::string menu = menu_line('i', "First", "", "x", 1) +
                             menu_line('0', "One", "/1", "127.0.0.1", server->port) +
                             menu_line('0', "Two", "/2", "127.0.0.1", server->port) + ".\r\n";
    serve_default(*server, Script{menu, Reply::in_pieces, 16, 100});
    auto run = start_program({address_of(*server)});
    ASSERT_TRUE(wait_for_requests(*server, 1)) << describe_end(*run);
    // Down arrow, then quit: both typed before the menu has arrived.
    send_keys(*run, "\033[B");
    send_keys(*run, "q");
    ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
    EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run);
    EXPECT_NE(run->output.find("->Two"), std::string::npos) << "the arrow moved the selection";
}

TEST(FetchE2e, ResponseOverTheCapEndsTheFirstPage) {
    auto server = start_gopher_server();
    serve(*server, "/at", Script{std::string(KESMOR_SMALL_CAP, 'a')});
    serve(*server, "/over", Script{std::string(KESMOR_SMALL_CAP + 1, 'a')});
    {
        auto run = start_program({address_of(*server) + "/0/over"},
                                 PtyOptions{.command = {KESMOR_SMALL_LIMITS_BINARY}});
        ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
        EXPECT_TRUE(exited_with(*run, 1)) << describe_end(*run);
        EXPECT_EQ(run->errors, "Error: Response too large.\n");
        expect_restored(*run);
    }
    auto run = start_program({address_of(*server) + "/0/at"},
                             PtyOptions{.command = {KESMOR_SMALL_LIMITS_BINARY}});
    ASSERT_TRUE(wait_for_text(*run, "aaaa")) << describe_end(*run) << run->errors;
}

TEST(FetchE2e, EndedOrFailingStandardInputEndsTheRunAtOnce) {
    auto server = start_gopher_server();
    serve_default(*server, Script{"some text\r\n"});
    // /dev/null is at its end at once; every read of a directory fails.
    for (const char* input : {"/dev/null", "/"}) {
        SCOPED_TRACE(std::string("case=") + input);
        auto run =
            start_program({KESMOR_BINARY, address_of(*server) + "/0/t", input},
                          PtyOptions{.command = {"/bin/sh", "-c", "exec \"$0\" \"$1\" < \"$2\""}});
        ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run) << screen_text(*run);
        EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run);
        EXPECT_NE(run->output.find("some text"), std::string::npos) << "the page was shown first";
        // A loop spinning on the failing read would burn a whole core until the wait ran out.
        const long cpu_ms = (run->usage.ru_utime.tv_sec + run->usage.ru_stime.tv_sec) * 1000 +
                            (run->usage.ru_utime.tv_usec + run->usage.ru_stime.tv_usec) / 1000;
        EXPECT_LT(cpu_ms, 2000);
    }
}

} // namespace
