// Raw terminal mode, giving the terminal back on every way out, and the signal handlers.
#pragma once

#include <csignal>
#include <sys/ioctl.h>
#include <sys/types.h>
#include <termios.h>

extern termios saved_termios;
extern volatile sig_atomic_t resize_pending;

// Saves the mode of standard input, clears ICANON, ECHO and ISIG, enters the alternate screen,
// installs the signal handlers and hides the cursor.
void enable_raw_mode();

// The exit handler. Gives back the saved mode, leaves the alternate screen (the shell's screen
// comes back as it was, never cleared), shows the cursor and resets the attributes. Does
// nothing once the terminal has been given back, so a second call cannot touch a message that
// was written after the first.
void restore_terminal();

// True between enable_raw_mode and the first restore_terminal.
bool terminal_taken_over();

// The terminal given back exactly as on exit, with what was written flushed, for another program
// or the shell; take_terminal_back makes it raw again (the mode found then is the one given back
// at the end), after which the caller reads the window size and draws the whole screen.
void hand_terminal_over();
void take_terminal_back();

// What says whether a shell's job control is there to resume a stopped run.
struct JobFacts {
    bool stop_ignored = false; // SIGTSTP ignored: whoever started us wants no stops
    pid_t foreground = -1;     // the terminal's foreground process group (-1: none, no terminal)
    pid_t group = -1;          // ours
    pid_t parent_group = -1;
    pid_t session = -1; // ours
    pid_t parent_session = -1;
};

[[nodiscard]] JobFacts read_job_facts();
// A stop is resumed only by a job-control shell: we are its foreground job, in a group of our own
// that the shell (our parent, in our session) watches. Without one (no shell, a shell without job
// control, a background or orphaned group) a stop could last for ever: none is made.
[[nodiscard]] bool job_control_available(const JobFacts& facts);

// Ctrl-Z: when job control is there, the terminal given back, the run stopped as SIGTSTP's
// default action does, and on resuming raw mode back: true (the caller reads the window size
// and draws the whole screen). Without job control nothing happens: false.
[[nodiscard]] bool suspend_to_shell();

void on_resize_signal(int signal_number);
// SIGINT (sent by another process: raw mode turns Ctrl-C into a byte), SIGTERM and SIGHUP:
// restore, remove a save's temporary file, then end by the same signal, so that a shell sees
// how the run ended.
void on_terminate_signal(int signal_number);

// The mask for the loop's wait (ppoll): the present one with SIGWINCH let through, which
// enable_raw_mode blocks everywhere else.
[[nodiscard]] sigset_t signals_in_wait();

// The temporary file of a save in progress, for the signal path: a handler may not touch the
// save's own record (its strings may be mid-change), so the path is copied into a fixed buffer
// beside the saved terminal state, from which on_terminate_signal unlinks it. A path too long
// for the buffer is not kept. forget_ clears it only while it still holds that path.
void remember_temp_file(const char* path);
void forget_temp_file(const char* path);

// TIOCGWINSZ on standard output; on failure the record keeps what it held.
void query_window_size(winsize* size);

// When a resize is pending: clears the flag, then reads the new size, and returns true. The flag
// is cleared first so that a resize arriving during the caller's redraw is seen again, not lost.
[[nodiscard]] bool take_pending_resize(winsize* size);
