// Runs the program in a pseudo-terminal and shows its output through a terminal emulator.
#include "support/pty_runner.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>
#include <vterm.h>

#include "support/name_sandbox.hpp"
#include "support/utf8_char.hpp"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

void close_fd(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

// The emulator's cursor and title: only the terminal's properties are kept.
int on_termprop(VTermProp prop, VTermValue* value, void* user) {
    auto* run = static_cast<PtyRun*>(user);
    if (prop == VTERM_PROP_CURSORVISIBLE) {
        run->cursor_visible = value->boolean != 0;
    } else if (prop == VTERM_PROP_TITLE && value->string != nullptr) {
        run->title = value->string;
    } else if (prop == VTERM_PROP_ALTSCREEN) {
        run->alt_screen = value->boolean != 0;
    }
    return 1;
}

// The emulator calls this for every line that scrolls off the top of the whole screen.
int on_scrollback_push(int, const VTermScreenCell*, void* user) {
    ++static_cast<PtyRun*>(user)->scrolled_lines;
    return 1;
}

constexpr VTermScreenCallbacks screen_callbacks = {
    nullptr, nullptr, nullptr, on_termprop, nullptr, nullptr, on_scrollback_push, nullptr,
};

// Answers the program's queries (cursor position and the like) as a terminal would. Runs inside
// the emulator, so it must not feed the emulator more output meanwhile.
void on_emulator_output(const char* bytes, std::size_t length, void* user) {
    const auto* run = static_cast<PtyRun*>(user);
    // The device attributes are answered by answer_queries instead, in order with the colour.
    const std::string_view answer(bytes, length);
    if (run->answers != TerminalAnswers::emulator && answer.starts_with("\033[?") &&
        answer.ends_with('c')) {
        return;
    }
    while (length > 0) {
        const ssize_t n = write(run->master, bytes, length);
        if (n > 0) {
            bytes += n;
            length -= static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd fd{run->master, POLLOUT, 0};
            if (poll(&fd, 1, default_wait_ms) <= 0) {
                return;
            }
        } else if (!(n < 0 && errno == EINTR)) {
            return;
        }
    }
}

// Where a UTF-8 character cut short by the end of text starts; text.size() when none is.
std::size_t incomplete_tail(const std::string& text) {
    const std::size_t size = text.size();
    for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(text[size - back]);
        if (byte < 0x80 || byte >= 0xc0) {
            const std::size_t length = byte >= 0xf0 ? 4 : byte >= 0xe0 ? 3 : byte >= 0xc0 ? 2 : 1;
            return length > back ? size - back : size;
        }
    }
    return size;
}

// Reads everything available without blocking. False once the other side has closed. The
// emulator (libvterm 0.1.4) shows a character that arrives in two writes as two bad ones, so
// it is fed up to the last whole character; *fed counts what it was given of into.
bool drain(int fd, std::string& into, VTerm* vt, std::size_t* fed) {
    char buffer[8192];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, static_cast<std::size_t>(n));
            if (vt != nullptr) {
                const std::size_t whole = incomplete_tail(into);
                if (whole > *fed) {
                    vterm_input_write(vt, into.data() + *fed, whole - *fed);
                    *fed = whole;
                }
            }
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        // The master reports EIO once every descriptor of the terminal's side is closed.
        return n < 0 && errno == EAGAIN;
    }
}

ScreenColour colour_of(VTermColor colour, VTermState* state, bool foreground) {
    ScreenColour out;
    out.is_default =
        foreground ? VTERM_COLOR_IS_DEFAULT_FG(&colour) : VTERM_COLOR_IS_DEFAULT_BG(&colour);
    if (VTERM_COLOR_IS_INDEXED(&colour)) {
        out.index = colour.indexed.idx;
    }
    vterm_state_convert_color_to_rgb(state, &colour);
    out.red = colour.rgb.red;
    out.green = colour.rgb.green;
    out.blue = colour.rgb.blue;
    return out;
}

void trim_right(std::string& text) {
    text.erase(text.find_last_not_of(' ') + 1);
}

void write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EAGAIN) {
            pollfd wanted{fd, POLLOUT, 0};
            if (poll(&wanted, 1, default_wait_ms) <= 0) {
                return;
            }
        } else if (!(n < 0 && errno == EINTR)) {
            return;
        }
    }
}

constexpr std::string_view background_query_st = "\033]11;?\033\\";
constexpr std::string_view background_query_bel = "\033]11;?\a";
constexpr std::string_view attributes_query = "\033[c";
constexpr std::string_view attributes_query_zero = "\033[0c";
constexpr std::string_view attributes_answer = "\033[?62;22c";

void give_answer(PtyRun& run, std::string_view answer) {
    switch (run.answer_timing) {
    case AnswerTiming::at_once:
        write_all(run.master, answer);
        return;
    case AnswerTiming::late:
        run.held_answers += answer;
        return;
    case AnswerTiming::cut:
        // One cut, in the first answer; what follows it waits in order.
        if (run.held_answers.empty()) {
            write_all(run.master, answer.substr(0, answer.size() / 2));
            run.held_answers = answer.substr(answer.size() / 2);
        } else {
            run.held_answers += answer;
        }
        return;
    }
}

// Looks through the output not yet searched for the program's questions, and answers each in
// order as the chosen terminal would.
void answer_queries(PtyRun& run) {
    if (run.answers == TerminalAnswers::emulator) {
        return;
    }
    constexpr std::size_t longest = 7;
    for (;;) {
        std::size_t first = std::string::npos;
        std::string_view found;
        for (const std::string_view query :
             {background_query_st, background_query_bel, attributes_query, attributes_query_zero}) {
            const std::size_t at = run.output.find(query, run.queries_seen);
            if (at < first) {
                first = at;
                found = query;
            }
        }
        if (first == std::string::npos) {
            // A question cut by the end of what arrived is looked at again with the rest.
            if (run.output.size() > run.queries_seen + longest) {
                run.queries_seen = run.output.size() - longest;
            }
            return;
        }
        run.queries_seen = first + found.size();
        if (found == attributes_query || found == attributes_query_zero) {
            if (run.answers != TerminalAnswers::nothing) {
                give_answer(run, attributes_answer);
            }
        } else if (run.answers == TerminalAnswers::colour) {
            give_answer(run, "\033]11;" + run.colour + "\033\\");
        }
    }
}

} // namespace

PtyRun::~PtyRun() {
    if (pid > 0 && !reaped) {
        kill(pid, SIGKILL);
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    close_fd(master);
    close_fd(error_pipe);
    close_fd(pidfd);
    if (vt != nullptr) {
        vterm_free(vt);
    }
}

std::unique_ptr<PtyRun> start_program(const std::vector<std::string>& args, PtyOptions options) {
    auto run = std::make_unique<PtyRun>();
    run->master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (run->master < 0 || grantpt(run->master) != 0 || unlockpt(run->master) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    char slave_name[128];
    if (ptsname_r(run->master, slave_name, sizeof slave_name) != 0) {
        throw std::runtime_error("no pseudo-terminal name");
    }
    int slave = open(slave_name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        throw std::runtime_error("cannot open the terminal side");
    }
    winsize size{};
    size.ws_row = static_cast<unsigned short>(options.rows);
    size.ws_col = static_cast<unsigned short>(options.cols);
    ioctl(run->master, TIOCSWINSZ, &size);
    tcgetattr(slave, &run->initial_termios);

    int error_ends[2] = {-1, -1};
    if (!options.stderr_to_terminal && pipe2(error_ends, O_CLOEXEC) != 0) {
        close(slave);
        throw std::runtime_error("no pipe");
    }

    // Everything the child needs is built before fork: after it only async-signal-safe calls.
    std::vector<std::string> argument_texts =
        options.command.empty() ? std::vector<std::string>{KESMOR_BINARY} : options.command;
    argument_texts.insert(argument_texts.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& text : argument_texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> environment = {"TERM=xterm-256color", "COLORFGBG", "NO_COLOR",
                                            "BROWSER"};
    environment.insert(environment.end(), options.environment.begin(), options.environment.end());
    const auto name_of = [](std::string_view entry) { return entry.substr(0, entry.find('=')); };
    const auto overridden = [&](std::string_view entry) {
        for (const std::string& own : environment) {
            if (name_of(own) == name_of(entry)) {
                return true;
            }
        }
        return false;
    };
    std::vector<char*> envp;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (!overridden(*entry)) {
            envp.push_back(*entry);
        }
    }
    // The last setting of a name holds.
    for (std::size_t k = 0; k < environment.size(); ++k) {
        std::string& entry = environment[k];
        bool later = false;
        for (std::size_t j = k + 1; j < environment.size(); ++j) {
            later = later || name_of(environment[j]) == name_of(entry);
        }
        if (!later && entry.find('=') != std::string::npos) {
            envp.push_back(entry.data());
        }
    }
    envp.push_back(nullptr);

    run->pid = fork();
    if (run->pid == 0) {
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        struct sigaction dfl {};
        dfl.sa_handler = SIG_DFL;
        for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGWINCH, SIGQUIT, SIGTSTP}) {
            sigaction(s, &dfl, nullptr);
        }
        setsid();
        ioctl(slave, TIOCSCTTY, 0);
        dup2(slave, STDIN_FILENO);
        dup2(options.stdout_fd >= 0 ? options.stdout_fd : slave, STDOUT_FILENO);
        dup2(options.stderr_to_terminal ? slave : error_ends[1], STDERR_FILENO);
        close_range(3, UINT_MAX, 0);
        if (options.sandbox != nullptr && enter_name_sandbox(*options.sandbox) != 0) {
            constexpr char refused[] = "pty_runner: cannot enter the name sandbox\n";
            std::ignore = write(STDERR_FILENO, refused, sizeof refused - 1);
            _exit(126);
        }
        if (!options.working_dir.empty() && chdir(options.working_dir.c_str()) != 0) {
            constexpr char no_dir[] = "pty_runner: cannot enter the working directory\n";
            std::ignore = write(STDERR_FILENO, no_dir, sizeof no_dir - 1);
            _exit(126);
        }
        execve(argv[0], argv.data(), envp.data());
        constexpr char failed[] = "pty_runner: cannot run " KESMOR_BINARY "\n";
        std::ignore = write(STDERR_FILENO, failed, sizeof failed - 1);
        _exit(127);
    }
    close(slave);
    if (error_ends[1] >= 0) {
        close(error_ends[1]);
    }
    run->error_pipe = error_ends[0];
    if (run->pid < 0) {
        throw std::runtime_error("fork failed");
    }
    // Called directly: this C library's header declares it without C linkage.
    run->pidfd = static_cast<int>(syscall(SYS_pidfd_open, run->pid, 0));
    fcntl(run->master, F_SETFL, fcntl(run->master, F_GETFL) | O_NONBLOCK);
    if (run->error_pipe >= 0) {
        fcntl(run->error_pipe, F_SETFL, fcntl(run->error_pipe, F_GETFL) | O_NONBLOCK);
    }

    run->answers = options.answers;
    run->answer_timing = options.answer_timing;
    run->colour = options.colour;
    run->vt = vterm_new(options.rows, options.cols);
    vterm_set_utf8(run->vt, 1);
    vterm_output_set_callback(run->vt, on_emulator_output, run.get());
    VTermScreen* screen = vterm_obtain_screen(run->vt);
    vterm_screen_set_callbacks(screen, &screen_callbacks, run.get());
    // Both screens, as a terminal keeps them: what the shell showed is there again once the
    // program leaves the alternate screen.
    vterm_screen_enable_altscreen(screen, 1);
    vterm_screen_reset(screen, 1);
    if (!options.shell_screen.empty()) {
        vterm_input_write(run->vt, options.shell_screen.data(), options.shell_screen.size());
    }
    return run;
}

bool pump(PtyRun& run) {
    const std::size_t before = run.output.size() + run.errors.size();
    bool changed = false;
    if (run.master >= 0 && !run.terminal_closed) {
        if (!drain(run.master, run.output, run.vt, &run.fed_to_emulator)) {
            run.terminal_closed = true;
            changed = true;
        }
    }
    answer_queries(run);
    if (run.error_pipe >= 0 && !drain(run.error_pipe, run.errors, nullptr, nullptr)) {
        close_fd(run.error_pipe);
        changed = true;
    }
    if (run.pid > 0 && !run.reaped) {
        int status = 0;
        if (wait4(run.pid, &status, WNOHANG, &run.usage) == run.pid) {
            run.reaped = true;
            run.wait_status = status;
            close_fd(run.pidfd);
            changed = true;
        }
    }
    return changed || run.output.size() + run.errors.size() != before;
}

bool wait_until(PtyRun& run, const std::function<bool()>& done, int timeout_ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        pump(run);
        if (done()) {
            return true;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return false;
        }
        pollfd fds[3];
        nfds_t count = 0;
        if (run.master >= 0 && !run.terminal_closed) {
            fds[count++] = {run.master, POLLIN, 0};
        }
        if (run.error_pipe >= 0) {
            fds[count++] = {run.error_pipe, POLLIN, 0};
        }
        if (run.pidfd >= 0) {
            fds[count++] = {run.pidfd, POLLIN, 0};
        }
        if (count == 0) {
            return false; // nothing left that could change
        }
        poll(fds, count, static_cast<int>(left));
    }
}

bool wait_for_text(PtyRun& run, std::string_view text, int timeout_ms) {
    return wait_until(
        run, [&] { return screen_contains(run, text); }, timeout_ms);
}

bool wait_for_output(PtyRun& run, std::string_view bytes, int timeout_ms) {
    return wait_until(
        run, [&] { return run.output.find(bytes) != std::string::npos; }, timeout_ms);
}

bool wait_for_new_output(PtyRun& run, std::size_t mark, std::string_view bytes, int timeout_ms) {
    return wait_until(
        run, [&] { return run.output.find(bytes, mark) != std::string::npos; }, timeout_ms);
}

bool wait_for_errors(PtyRun& run, std::string_view text, int timeout_ms) {
    return wait_until(
        run, [&] { return run.errors.find(text) != std::string::npos; }, timeout_ms);
}

bool wait_for_exit(PtyRun& run, int timeout_ms) {
    return wait_until(
        run, [&] { return finished(run); }, timeout_ms);
}

bool finished(const PtyRun& run) {
    return run.reaped && run.terminal_closed && run.error_pipe < 0;
}

bool exited_with(const PtyRun& run, int status) {
    return run.reaped && WIFEXITED(run.wait_status) && WEXITSTATUS(run.wait_status) == status;
}

bool killed_by(const PtyRun& run, int signal_number) {
    return run.reaped && WIFSIGNALED(run.wait_status) && WTERMSIG(run.wait_status) == signal_number;
}

std::string describe_end(const PtyRun& run) {
    if (!run.reaped) {
        return "running";
    }
    if (WIFEXITED(run.wait_status)) {
        return "exited " + std::to_string(WEXITSTATUS(run.wait_status));
    }
    return "killed by signal " + std::to_string(WTERMSIG(run.wait_status));
}

void send_keys(PtyRun& run, std::string_view bytes) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(default_wait_ms);
    while (!bytes.empty() && run.master >= 0) {
        const ssize_t n = write(run.master, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return; // the program has gone; nothing more can be typed
        }
        if (Clock::now() >= deadline) {
            return;
        }
        // The program is not reading: keep its output flowing while its input is full.
        pollfd fd{run.master, POLLOUT, 0};
        poll(&fd, 1, 100);
        pump(run);
    }
}

void release_answers(PtyRun& run) {
    pump(run);
    if (run.master >= 0) {
        write_all(run.master, run.held_answers);
    }
    run.held_answers.clear();
}

std::string shell_quoted(std::string_view text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

std::unique_ptr<PtyRun> start_program_in_shell(const std::vector<std::string>& args,
                                               PtyOptions options) {
    std::string line =
        shell_quoted(options.command.empty() ? std::string(KESMOR_BINARY) : options.command[0]);
    for (std::size_t k = 1; k < options.command.size(); ++k) {
        line += ' ' + shell_quoted(options.command[k]);
    }
    for (const std::string& arg : args) {
        line += ' ' + shell_quoted(arg);
    }
    line += '\n';
    options.command = {"/bin/bash", "--noprofile", "--norc", "-i"};
    options.stderr_to_terminal = true;
    options.environment.insert(options.environment.begin(), {"PS1=$ ", "HISTFILE="});
    std::unique_ptr<PtyRun> run = start_program({}, std::move(options));
    if (!wait_for_text(*run, "$")) {
        return nullptr;
    }
    send_keys(*run, line);
    return run;
}

void send_signal(PtyRun& run, int signal_number) {
    if (run.pid > 0 && !run.reaped) {
        kill(run.pid, signal_number);
    }
}

void resize(PtyRun& run, int rows, int cols) {
    // A smaller window drops lines as a real terminal does; that is not the program's doing.
    const int scrolled = run.scrolled_lines;
    vterm_set_size(run.vt, rows, cols);
    run.scrolled_lines = scrolled;
    winsize size{};
    size.ws_row = static_cast<unsigned short>(rows);
    size.ws_col = static_cast<unsigned short>(cols);
    // The kernel sends SIGWINCH to the program, whose terminal this is, when the size changes.
    // A second one from here could arrive late, while the program draws, and make it drop the
    // next real resize.
    ioctl(run.master, TIOCSWINSZ, &size);
}

termios terminal_mode(const PtyRun& run) {
    termios mode{};
    tcgetattr(run.master, &mode);
    return mode;
}

int screen_rows(const PtyRun& run) {
    int rows = 0;
    int cols = 0;
    vterm_get_size(run.vt, &rows, &cols);
    return rows;
}

int screen_cols(const PtyRun& run) {
    int rows = 0;
    int cols = 0;
    vterm_get_size(run.vt, &rows, &cols);
    return cols;
}

std::string row_text(const PtyRun& run, int row) {
    VTermScreen* screen = vterm_obtain_screen(run.vt);
    std::string text;
    const int cols = screen_cols(run);
    for (int col = 0; col < cols; ++col) {
        VTermScreenCell cell{};
        vterm_screen_get_cell(screen, VTermPos{row - 1, col}, &cell);
        if (cell.chars[0] == static_cast<std::uint32_t>(-1)) {
            continue; // right half of a wide character
        }
        if (cell.chars[0] == 0) {
            text += ' ';
            continue;
        }
        for (int i = 0; i < VTERM_MAX_CHARS_PER_CELL && cell.chars[i] != 0; ++i) {
            text += utf8(cell.chars[i]);
        }
    }
    trim_right(text);
    return text;
}

std::string screen_text(const PtyRun& run) {
    std::string text;
    for (int row = 1; row <= screen_rows(run); ++row) {
        text += row_text(run, row);
        text += '\n';
    }
    return text;
}

bool screen_contains(const PtyRun& run, std::string_view text) {
    for (int row = 1; row <= screen_rows(run); ++row) {
        if (row_text(run, row).find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

ScreenCell cell_at(const PtyRun& run, int row, int col) {
    VTermScreen* screen = vterm_obtain_screen(run.vt);
    VTermScreenCell raw{};
    vterm_screen_get_cell(screen, VTermPos{row - 1, col - 1}, &raw);
    ScreenCell cell;
    if (raw.chars[0] == 0 || raw.chars[0] == static_cast<std::uint32_t>(-1)) {
        cell.text = " ";
    }
    for (int i = 0; i < VTERM_MAX_CHARS_PER_CELL && raw.chars[i] != 0 &&
                    raw.chars[i] != static_cast<std::uint32_t>(-1);
         ++i) {
        cell.text += utf8(raw.chars[i]);
    }
    cell.bold = raw.attrs.bold != 0;
    cell.reverse = raw.attrs.reverse != 0;
    VTermState* state = vterm_obtain_state(run.vt);
    cell.fg = colour_of(raw.fg, state, true);
    cell.bg = colour_of(raw.bg, state, false);
    return cell;
}

CursorState cursor(const PtyRun& run) {
    VTermPos pos{};
    vterm_state_get_cursorpos(vterm_obtain_state(run.vt), &pos);
    return CursorState{pos.row + 1, pos.col + 1, run.cursor_visible};
}

ScreenCell current_pen(const PtyRun& run) {
    VTermState* state = vterm_obtain_state(run.vt);
    VTermValue value{};
    ScreenCell pen;
    vterm_state_get_penattr(state, VTERM_ATTR_BOLD, &value);
    pen.bold = value.boolean != 0;
    vterm_state_get_penattr(state, VTERM_ATTR_REVERSE, &value);
    pen.reverse = value.boolean != 0;
    vterm_state_get_penattr(state, VTERM_ATTR_FOREGROUND, &value);
    pen.fg = colour_of(value.color, state, true);
    vterm_state_get_penattr(state, VTERM_ATTR_BACKGROUND, &value);
    pen.bg = colour_of(value.color, state, false);
    return pen;
}

std::string describe_mode_change(const termios& before, const termios& after) {
    std::string out;
    auto field = [&](const char* name, unsigned long was, unsigned long is) {
        if (was != is) {
            char text[96];
            std::snprintf(text, sizeof text, "%s %#lx -> %#lx; ", name, was, is);
            out += text;
        }
    };
    field("c_iflag", before.c_iflag, after.c_iflag);
    field("c_oflag", before.c_oflag, after.c_oflag);
    field("c_cflag", before.c_cflag, after.c_cflag);
    field("c_lflag", before.c_lflag, after.c_lflag);
    field("ispeed", cfgetispeed(&before), cfgetispeed(&after));
    field("ospeed", cfgetospeed(&before), cfgetospeed(&after));
    for (std::size_t i = 0; i < NCCS; ++i) {
        const std::string name = "c_cc[" + std::to_string(i) + "]";
        field(name.c_str(), before.c_cc[i], after.c_cc[i]);
    }
    return out;
}
