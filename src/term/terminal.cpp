// Raw terminal mode, giving the terminal back on every way out, and the signal handlers.
#include "term/terminal.hpp"

#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <tuple>
#include <unistd.h>

#include "term/screen.hpp"
#include "term/sequences.hpp"

termios saved_termios;
volatile sig_atomic_t resize_pending = 0;

namespace {

// Set while the terminal is ours; read by the signal handlers, hence sig_atomic_t.
volatile sig_atomic_t taken_over = 0;

// A save's temporary file, unlinked by the signal path (async-signal-safe: only unlink reads
// it). temp_file_set guards the buffer: cleared before it changes, set once it holds a whole
// path; the fences keep the compiler from moving the copy past the flag.
std::array<char, 8192> temp_file{};
volatile sig_atomic_t temp_file_set = 0;

// Room for a whole frame, so that a screen reaches the terminal in one write. The one scratch
// buffer left at namespace scope: setvbuf needs one that outlives every write to stdout, and
// the first-screen benchmarks are measured with a frame in one write.
char stdout_buffer[1 << 18];

// What restore_terminal writes, as one constant for the signal path: seq::alternate_screen_off,
// seq::show_cursor, seq::reset.
constexpr char restore_bytes[] = "\033[?1049l"
                                 "\033[?25h"
                                 "\033[0m";

void install(int signal_number, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // Interrupted reads resume, so a resize does not end a prompt's wait for a key.
    action.sa_flags = SA_RESTART;
    sigaction(signal_number, &action, nullptr);
}

// Async-signal-safe: only tcsetattr and write.
void restore_from_signal() {
    if (!taken_over) {
        return;
    }
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_termios);
    std::ignore = write(STDOUT_FILENO, restore_bytes, sizeof restore_bytes - 1);
    taken_over = 0;
}

// Raw mode from the saved mode, drawn on the alternate screen (the shell's stays as it was).
void enter_raw_mode() {
    termios raw = saved_termios;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw);
    taken_over = 1;
    std::fputs(seq::alternate_screen_on, stdout);
}

} // namespace

bool terminal_taken_over() {
    return taken_over != 0;
}

void enable_raw_mode() {
    std::setvbuf(stdout, stdout_buffer, _IOFBF, sizeof stdout_buffer);
    tcgetattr(STDIN_FILENO, &saved_termios);
    enter_raw_mode();
    // The resize flag is looked at between waits: the signal comes only inside the loop's wait.
    // The ending signals act at once wherever they come.
    sigset_t resize;
    sigemptyset(&resize);
    sigaddset(&resize, SIGWINCH);
    sigprocmask(SIG_BLOCK, &resize, nullptr);
    install(SIGWINCH, on_resize_signal);
    install(SIGINT, on_terminate_signal);
    install(SIGTERM, on_terminate_signal);
    install(SIGHUP, on_terminate_signal);
    set_cursor_visible(0);
}

void restore_terminal() {
    if (!taken_over) {
        return;
    }
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_termios);
    std::fputs(seq::alternate_screen_off, stdout);
    std::fputs(seq::show_cursor, stdout);
    std::fputs(seq::reset, stdout);
    // Now, before any message on standard error, which belongs on the shell's screen.
    std::fflush(stdout);
    // Cleared last: a signal arriving meanwhile restores once more rather than not at all.
    taken_over = 0;
}

void hand_terminal_over() {
    restore_terminal();
    std::fflush(stdout);
}

void take_terminal_back() {
    // The shell or the program may have changed the mode meanwhile (stty): the run gives back
    // the one it finds now.
    tcgetattr(STDIN_FILENO, &saved_termios);
    enter_raw_mode();
    set_cursor_visible(0);
}

JobFacts read_job_facts() {
    JobFacts facts;
    struct sigaction stop {};
    facts.stop_ignored = sigaction(SIGTSTP, nullptr, &stop) == 0 && stop.sa_handler == SIG_IGN;
    facts.foreground = tcgetpgrp(STDIN_FILENO);
    facts.group = getpgrp();
    const pid_t parent = getppid();
    facts.parent_group = getpgid(parent);
    facts.session = getsid(0);
    facts.parent_session = getsid(parent);
    return facts;
}

bool job_control_available(const JobFacts& facts) {
    return !facts.stop_ignored && facts.group > 0 && facts.foreground == facts.group &&
           facts.parent_group > 0 && facts.parent_group != facts.group && facts.session > 0 &&
           facts.parent_session == facts.session;
}

bool suspend_to_shell() {
    if (!job_control_available(read_job_facts())) {
        return false;
    }
    hand_terminal_over();
    // The whole job stops, as Ctrl-Z in cooked mode would stop it; this returns once resumed.
    kill(0, SIGTSTP);
    take_terminal_back();
    return true;
}

void on_resize_signal(int) {
    resize_pending = 1;
}

void remember_temp_file(const char* path) {
    temp_file_set = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    const std::size_t length = std::strlen(path);
    if (length >= temp_file.size()) {
        return;
    }
    std::memcpy(temp_file.data(), path, length + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    temp_file_set = 1;
}

void forget_temp_file(const char* path) {
    if (temp_file_set && std::strcmp(temp_file.data(), path) == 0) {
        temp_file_set = 0;
    }
}

// Async-signal-safe. Ends by the same signal, so the parent sees how the program ended. A frame
// half written to the stdout buffer is dropped with it.
void on_terminate_signal(int signal_number) {
    restore_from_signal();
    if (temp_file_set) {
        std::ignore = unlink(temp_file.data());
    }
    signal(signal_number, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal_number);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(signal_number);
    _exit(128 + signal_number);
}

sigset_t signals_in_wait() {
    sigset_t mask;
    sigprocmask(SIG_SETMASK, nullptr, &mask);
    sigdelset(&mask, SIGWINCH);
    return mask;
}

void query_window_size(winsize* size) {
    winsize ws{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0) {
        *size = ws;
    }
}

bool take_pending_resize(winsize* size) {
    if (!resize_pending) {
        return false;
    }
    resize_pending = 0;
    query_window_size(size);
    return true;
}
