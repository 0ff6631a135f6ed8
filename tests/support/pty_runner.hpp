// Runs the program in a pseudo-terminal and shows its output through a terminal emulator.
//
//   auto run = start_program({"127.0.0.1:7070"});          // 24 x 80, stderr on its own pipe
//   ASSERT_TRUE(wait_for_text(*run, "Welcome"));            // anywhere on the screen
//   EXPECT_EQ(row_text(*run, 1).substr(0, 6), " gophe");    // rows and columns are 1-based
//   ScreenCell c = cell_at(*run, 3, 2);                      // text, bold, fg/bg palette or RGB
//   send_keys(*run, "\033[B");                               // bytes, as the keyboard sends them
//   resize(*run, 30, 100);                                   // window size: SIGWINCH, emulator
//   send_signal(*run, SIGINT);
//   ASSERT_TRUE(wait_for_exit(*run));
//   EXPECT_TRUE(exited_with(*run, 0));
//
// Every wait is event-driven (poll on the terminal, the stderr pipe and the child) and ends at
// its time-out; each returns false when the condition did not come true. The destructor kills
// and reaps the child if it is still alive and closes every descriptor.
// Fields are plain data for assertions: run->output holds every byte written to the terminal,
// run->errors everything written to standard error.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/types.h>
#include <termios.h>
#include <vector>

struct NameSandbox;
struct VTerm;

// What the terminal answers to the program's background question (OSC 11 ; ? ST) and to its
// device attributes request (ESC [ c), and when.
enum class TerminalAnswers {
    emulator,        // as libvterm does: the device attributes, no colour
    colour,          // the colour (TerminalOptions::colour), then the device attributes
    attributes_only, // the device attributes alone: the terminal will not tell its colour
    nothing,         // no answer at all
};
enum class AnswerTiming {
    at_once,
    late, // held until release_answers()
    cut,  // the first answer's first half at once, in a write of its own; the rest held until
          // release_answers()
};

// Long enough for a sanitized build on a busy machine; a passing test never waits this long.
inline constexpr int default_wait_ms = 15'000;

struct PtyOptions {
    int rows = 24;
    int cols = 80;
    // Standard error goes to the terminal too, so the order of messages and screens shows.
    bool stderr_to_terminal = false;
    // When not empty, run this instead of the program, with the arguments after it: a memory
    // checker and the binary it is to check, for example. command[0] is a path.
    std::vector<std::string> command = {};
    // When not empty, the program starts in this directory (a test's scratch directory, where
    // what it saves lands).
    std::string working_dir = {};
    // When not -1, the program's standard output goes to this descriptor (a file, a pipe's
    // write end) instead of the terminal, which keeps standard input and the controlling
    // terminal. The caller keeps and closes it.
    int stdout_fd = -1;
    // When set, the child enters this name sandbox (support/name_sandbox.hpp) before it runs
    // the program; it ends with status 126 when it cannot. The sandbox must outlive the start.
    const NameSandbox* sandbox = nullptr;
    // Variables for the program's environment: "NAME=value" sets NAME, "NAME" alone removes it.
    // COLORFGBG, NO_COLOR and BROWSER are removed unless set here, so the tester's own terminal
    // does not choose the colours.
    std::vector<std::string> environment = {};
    TerminalAnswers answers = TerminalAnswers::emulator;
    AnswerTiming answer_timing = AnswerTiming::at_once;
    std::string colour = "rgb:ffff/ffff/ffff"; // as OSC 11 gives it
    // What the shell showed before the program started: given to the emulator first, on its
    // main screen (LF alone does not return to the first column: write CR LF).
    std::string shell_screen = {};
};

struct PtyRun {
    pid_t pid = -1;
    int master = -1;     // our side of the pseudo-terminal
    int error_pipe = -1; // read end of the child's standard error, unless merged
    int pidfd = -1;      // readable once the child has ended
    VTerm* vt = nullptr;
    termios initial_termios{};       // the terminal's mode before the program started
    std::string output;              // every byte the program wrote to the terminal
    std::size_t fed_to_emulator = 0; // bytes of output the emulator has been given
    std::string errors;              // every byte the program wrote to standard error
    std::string title;               // the window title, if the program set one
    bool cursor_visible = true;
    bool alt_screen = false; // the emulator shows its alternate screen
    // Lines the program's output pushed off the top of the screen (by writing past the bottom
    // row, for instance); the lines a smaller window drops in resize() are not counted.
    int scrolled_lines = 0;
    bool terminal_closed = false; // every descriptor of the program's side is closed
    TerminalAnswers answers = TerminalAnswers::emulator;
    AnswerTiming answer_timing = AnswerTiming::at_once;
    std::string colour;
    std::size_t queries_seen = 0; // bytes of output searched for the program's questions
    std::string held_answers;     // answered, not written yet (late or cut)
    bool reaped = false;
    int wait_status = 0; // from waitpid, valid once reaped
    rusage usage{};      // the processor time it used, valid once reaped

    PtyRun() = default;
    PtyRun(const PtyRun&) = delete;
    PtyRun& operator=(const PtyRun&) = delete;
    ~PtyRun();
};

// Starts the built program with the given arguments (argv[0] is supplied).
[[nodiscard]] std::unique_ptr<PtyRun> start_program(const std::vector<std::string>& args,
                                                    PtyOptions options = {});

// Reads what has arrived (without waiting) and feeds it to the emulator; reaps the child once
// it has ended. True when anything happened.
bool pump(PtyRun& run);

// Re-checks done after every chunk of output and every other event until it holds.
[[nodiscard]] bool wait_until(PtyRun& run, const std::function<bool()>& done,
                              int timeout_ms = default_wait_ms);
[[nodiscard]] bool wait_for_text(PtyRun& run, std::string_view text,
                                 int timeout_ms = default_wait_ms);
// Searches the raw bytes written to the terminal.
[[nodiscard]] bool wait_for_output(PtyRun& run, std::string_view bytes,
                                   int timeout_ms = default_wait_ms);
// The same, for bytes that start at or after offset mark of run.output: take
// mark = run->output.size() before sending a key to wait for what the key caused.
[[nodiscard]] bool wait_for_new_output(PtyRun& run, std::size_t mark, std::string_view bytes,
                                       int timeout_ms = default_wait_ms);
[[nodiscard]] bool wait_for_errors(PtyRun& run, std::string_view text,
                                   int timeout_ms = default_wait_ms);
// True once the child is reaped and everything it wrote has been read.
[[nodiscard]] bool wait_for_exit(PtyRun& run, int timeout_ms = default_wait_ms);

[[nodiscard]] bool finished(const PtyRun& run);
[[nodiscard]] bool exited_with(const PtyRun& run, int status);
[[nodiscard]] bool killed_by(const PtyRun& run, int signal_number);
// "exited 0", "killed by signal 15", "running": for failure messages.
[[nodiscard]] std::string describe_end(const PtyRun& run);

void send_keys(PtyRun& run, std::string_view bytes);
// Writes the answers held back (AnswerTiming late or cut) to the program.
void release_answers(PtyRun& run);

// Runs the program from an interactive bash (no startup files, prompt "$ ", no history file) in
// the pseudo-terminal, so that the shell's job control is there: the shell is run->pid, and the
// command line is typed once its first prompt shows. Standard error goes to the terminal. Null
// when the prompt never came.
[[nodiscard]] std::unique_ptr<PtyRun> start_program_in_shell(const std::vector<std::string>& args,
                                                             PtyOptions options = {});
// text in single quotes, for a shell's command line.
[[nodiscard]] std::string shell_quoted(std::string_view text);
void send_signal(PtyRun& run, int signal_number);
// New window size on the terminal and the emulator; the kernel then sends SIGWINCH to the
// program (only when the size differs from the current one). The emulator (libvterm 0.1.4)
// crashes on a wide character written to a screen one column wide: keep such windows to ASCII.
void resize(PtyRun& run, int rows, int cols);

// The terminal's current mode, as the program sees it.
[[nodiscard]] termios terminal_mode(const PtyRun& run);

struct ScreenColour {
    bool is_default = true; // the terminal's default foreground or background
    int index = -1;         // palette index (0-255) when set by index, else -1
    int red = 0, green = 0, blue = 0;
};

struct ScreenCell {
    std::string text; // UTF-8; " " for an empty cell
    bool bold = false;
    bool reverse = false;
    ScreenColour fg, bg;
};

struct CursorState {
    int row = 1;
    int col = 1;
    bool visible = true;
};

[[nodiscard]] int screen_rows(const PtyRun& run);
[[nodiscard]] int screen_cols(const PtyRun& run);
// The row as text, trailing blanks removed; column n is at index n - 1 for ASCII text.
[[nodiscard]] std::string row_text(const PtyRun& run, int row);
// Every row, trailing blanks removed, each followed by a newline: for failure messages.
[[nodiscard]] std::string screen_text(const PtyRun& run);
[[nodiscard]] bool screen_contains(const PtyRun& run, std::string_view text);
[[nodiscard]] ScreenCell cell_at(const PtyRun& run, int row, int col);
[[nodiscard]] CursorState cursor(const PtyRun& run);
// The attributes the next character written would get.
[[nodiscard]] ScreenCell current_pen(const PtyRun& run);

// "" when the two modes are the same, else each differing field with both values: for
// EXPECT_EQ(describe_mode_change(expected, terminal_mode(*run)), "").
[[nodiscard]] std::string describe_mode_change(const termios& before, const termios& after);
