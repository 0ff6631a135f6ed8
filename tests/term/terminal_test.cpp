// Raw mode, the signal handlers and giving the terminal back, seen from outside.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <string>

#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"

namespace {

constexpr const char* hide_cursor = "\033[?25l";

std::string address_of(const GopherServer& server) {
    return "127.0.0.1:" + std::to_string(server.port);
}

termios raw_from(const termios& initial) {
    termios raw = initial;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG);
    return raw;
}

// A program showing a one-line menu, ready for keys.
struct ShownMenu {
    std::unique_ptr<GopherServer> server = start_gopher_server();
    std::unique_ptr<PtyRun> run;

    ShownMenu() {
        serve_default(*server,
                      Script{menu_line('i', "Hello from the fixture", "", "x", 1) +
                             menu_line('0', "A text", "/t", "127.0.0.1", server->port) + ".\r\n"});
        run = start_program({address_of(*server)});
    }
};

void expect_restored(const PtyRun& run) {
    EXPECT_EQ(describe_mode_change(run.initial_termios, terminal_mode(run)), "");
    EXPECT_EQ(screen_text(run), std::string(static_cast<std::size_t>(screen_rows(run)), '\n'));
    const CursorState at = cursor(run);
    EXPECT_TRUE(at.visible);
    EXPECT_EQ(at.row, 1);
    EXPECT_EQ(at.col, 1);
    const ScreenCell pen = current_pen(run);
    EXPECT_FALSE(pen.bold);
    EXPECT_TRUE(pen.fg.is_default);
    EXPECT_TRUE(pen.bg.is_default);
}

} // namespace

TEST(Terminal, RawModeClearsOnlyLineEditingEchoAndSignals) {
    // The program waits for the page meanwhile, with the terminal already taken over.
    auto server = start_gopher_server();
    serve_default(*server, Script{"", Reply::stall});
    auto run = start_program({address_of(*server)});
    ASSERT_TRUE(wait_for_output(*run, hide_cursor)) << describe_end(*run) << run->errors;
    EXPECT_EQ(describe_mode_change(raw_from(run->initial_termios), terminal_mode(*run)), "");
    EXPECT_FALSE(cursor(*run).visible);
}

TEST(Terminal, InterruptKeyIsAnOrdinaryByte) {
    ShownMenu shown;
    PtyRun& run = *shown.run;
    ASSERT_TRUE(wait_for_text(run, "Hello from the fixture")) << screen_text(run) << run.errors;
    // If byte 3 raised SIGINT the program would end and the reload would never be asked for.
    // A key is one read, so 'r' waits until the view has taken byte 3 and answered with a
    // frame (one that changes nothing: the end of synchronized output alone tells).
    const std::size_t mark = run.output.size();
    send_keys(run, "\x03");
    ASSERT_TRUE(wait_for_new_output(run, mark, "\033[?2026l")) << describe_end(run);
    send_keys(run, "r");
    ASSERT_TRUE(wait_for_requests(*shown.server, 2)) << describe_end(run);
    EXPECT_FALSE(run.reaped) << describe_end(run);
    send_keys(run, "q");
    ASSERT_TRUE(wait_for_exit(run));
    EXPECT_TRUE(exited_with(run, 0)) << describe_end(run);
}

TEST(Terminal, SignalsRestoreTheTerminalAndEndTheRunByThemselves) {
    // SIGINT included: a shell must not take an interrupted run for a success.
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE("case=" + std::string(sigabbrev_np(signal_number)));
        ShownMenu shown;
        PtyRun& run = *shown.run;
        ASSERT_TRUE(wait_for_text(run, "Hello from the fixture")) << screen_text(run);
        ASSERT_EQ(describe_mode_change(raw_from(run.initial_termios), terminal_mode(run)), "");
        send_signal(run, signal_number);
        ASSERT_TRUE(wait_for_exit(run)) << describe_end(run);
        EXPECT_TRUE(killed_by(run, signal_number)) << describe_end(run);
        expect_restored(run);
        EXPECT_EQ(run.errors, "");
    }
}

TEST(Terminal, QuitRestoresTheTerminal) {
    ShownMenu shown;
    PtyRun& run = *shown.run;
    ASSERT_TRUE(wait_for_text(run, "Hello from the fixture")) << screen_text(run);
    send_keys(run, "q");
    ASSERT_TRUE(wait_for_exit(run)) << describe_end(run);
    EXPECT_TRUE(exited_with(run, 0)) << describe_end(run);
    expect_restored(run);
    EXPECT_EQ(run.errors, "");
}
