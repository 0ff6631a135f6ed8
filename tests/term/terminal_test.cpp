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

// What the shell showed before the run, with its cursor after it.
constexpr const char* shell_lines = "$ ./demo.sh\r\nServer PID 4242\r\n$ kesmor URL\r\n";
constexpr int shell_cursor_row = 4;

// A program showing a one-line menu, ready for keys.
struct ShownMenu {
    std::unique_ptr<GopherServer> server = start_gopher_server();
    std::unique_ptr<PtyRun> run;

    ShownMenu() {
        serve_default(*server,
                      Script{menu_line('i', "Hello from the fixture", "", "x", 1) +
                             menu_line('0', "A text", "/t", "127.0.0.1", server->port) + ".\r\n"});
        run = start_program({address_of(*server)},
                            PtyOptions{.stderr_to_terminal = true, .shell_screen = shell_lines});
    }
};

// The shell's screen as it was, with what the program wrote to standard error after it: the
// program drew on the alternate screen only, never clearing the shell's.
void expect_restored(const PtyRun& run, std::string_view message = "") {
    EXPECT_EQ(describe_mode_change(run.initial_termios, terminal_mode(run)), "");
    EXPECT_FALSE(run.alt_screen);
    const std::string expected = "$ ./demo.sh\nServer PID 4242\n$ kesmor URL\n" +
                                 std::string(message) +
                                 std::string(static_cast<std::size_t>(screen_rows(run)) - 3, '\n');
    EXPECT_EQ(screen_text(run), expected);
    const CursorState at = cursor(run);
    EXPECT_TRUE(at.visible);
    EXPECT_EQ(at.row, shell_cursor_row + (message.empty() ? 0 : 1));
    EXPECT_EQ(at.col, 1);
    const ScreenCell pen = current_pen(run);
    EXPECT_FALSE(pen.bold);
    EXPECT_TRUE(pen.fg.is_default);
    EXPECT_TRUE(pen.bg.is_default);
    // Into the alternate screen once, before anything is drawn; out of it once, at the end.
    const std::string& out = run.output;
    EXPECT_TRUE(out.starts_with("\033[?1049h")) << testing::PrintToString(out.substr(0, 40));
    EXPECT_EQ(out.find("\033[?1049h", 1), std::string::npos);
    const std::size_t off = out.find("\033[?1049l\033[?25h\033[0m");
    ASSERT_NE(off, std::string::npos);
    EXPECT_EQ(out.find("\033[?1049l", off + 1), std::string::npos);
    // Every synchronized frame ends before the alternate screen is left.
    EXPECT_NE(out.rfind("\033[?2026l", off), std::string::npos);
    EXPECT_LT(out.rfind("\033[?2026h", off), out.rfind("\033[?2026l", off));
    EXPECT_EQ(out.find("\033[?2026h", off), std::string::npos);
    EXPECT_EQ(out.substr(off + std::string_view{"\033[?1049l\033[?25h\033[0m"}.size()),
              message.empty() ? std::string() : std::string(message) + "\r\n");
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
    }
}

TEST(Terminal, AFailureLeavesItsMessageOnTheShellsScreen) {
    auto server = start_gopher_server();
    serve_default(*server, Script{"", Reply::stall});
    auto run = start_program({address_of(*server)},
                             PtyOptions{.stderr_to_terminal = true, .shell_screen = shell_lines});
    ASSERT_TRUE(wait_for_output(*run, hide_cursor)) << describe_end(*run);
    ASSERT_TRUE(wait_for_requests(*server, 1));
    send_keys(*run, "\033");
    ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
    EXPECT_TRUE(exited_with(*run, 1)) << describe_end(*run);
    expect_restored(*run, "Cancelled.");
}

TEST(Terminal, QuitRestoresTheTerminal) {
    ShownMenu shown;
    PtyRun& run = *shown.run;
    ASSERT_TRUE(wait_for_text(run, "Hello from the fixture")) << screen_text(run);
    send_keys(run, "q");
    ASSERT_TRUE(wait_for_exit(run)) << describe_end(run);
    EXPECT_TRUE(exited_with(run, 0)) << describe_end(run);
    expect_restored(run);
}
