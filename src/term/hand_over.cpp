// Another program run with the terminal handed over to it, and where to find one.
#include "term/hand_over.hpp"

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "term/terminal.hpp"

extern char** environ; // NOLINT(readability-redundant-declaration): not in every unistd.h

namespace {

// What execvp searches when PATH is unset.
constexpr const char* default_path = "/bin:/usr/bin";

bool is_executable_file(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

struct SpawnAttributes {
    posix_spawnattr_t attributes{};
    bool made = false;
    SpawnAttributes() : made(posix_spawnattr_init(&attributes) == 0) {
        if (!made) {
            return;
        }
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes, &none);
        // Ignored or handled here, the program's own at its default.
        sigset_t defaults;
        sigemptyset(&defaults);
        for (const int signal_number : {SIGINT, SIGQUIT, SIGPIPE, SIGTSTP, SIGTTIN, SIGTTOU, SIGHUP,
                                        SIGTERM, SIGCHLD, SIGWINCH}) {
            sigaddset(&defaults, signal_number);
        }
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnAttributes() {
        if (made) {
            posix_spawnattr_destroy(&attributes);
        }
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
};

int wait_for(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return 127;
        }
    }
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 127;
}

// Sets the action of a signal for the life of the record, then puts the one before back.
struct SignalAction {
    int signal_number;
    struct sigaction before {};
    SignalAction(int number, void (*handler)(int)) : signal_number(number) {
        struct sigaction action {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        sigaction(signal_number, &action, &before);
    }
    ~SignalAction() { sigaction(signal_number, &before, nullptr); }
    SignalAction(const SignalAction&) = delete;
    SignalAction& operator=(const SignalAction&) = delete;
};

} // namespace

std::optional<std::string> find_program(std::string_view name, const char* path) {
    if (name.empty()) {
        return std::nullopt;
    }
    if (name.find('/') != std::string_view::npos) {
        std::string file(name);
        return is_executable_file(file) ? std::optional{file} : std::nullopt;
    }
    std::string_view dirs = path != nullptr ? path : default_path;
    for (;;) {
        const std::size_t colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        // An empty entry is the working directory, as for execvp.
        std::string file = dir.empty() ? std::string(".") : std::string(dir);
        file += '/';
        file += name;
        if (is_executable_file(file)) {
            return file;
        }
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        dirs.remove_prefix(colon + 1);
    }
}

std::size_t first_runnable(const std::vector<Command>& commands, const char* path) {
    for (std::size_t k = 0; k < commands.size(); ++k) {
        if (!commands[k].empty() && find_program(commands[k].front(), path)) {
            return k;
        }
    }
    return 0;
}

ProgramEnd run_first(const std::vector<Command>& commands) {
    const SpawnAttributes spawn;
    if (!spawn.made) {
        return {};
    }
    for (std::size_t k = 0; k < commands.size(); ++k) {
        const Command& command = commands[k];
        if (command.empty()) {
            continue;
        }
        std::vector<char*> argv;
        argv.reserve(command.size() + 1);
        for (const std::string& word : command) {
            argv.push_back(const_cast<char*>(word.c_str())); // NOLINT: exec's type, not written
        }
        argv.push_back(nullptr);
        pid_t pid = -1;
        if (posix_spawnp(&pid, argv[0], nullptr, &spawn.attributes, argv.data(), environ) == 0) {
            return {wait_for(pid), k};
        }
    }
    return {};
}

ProgramEnd run_in_terminal(const std::vector<Command>& commands) {
    hand_terminal_over();
    ProgramEnd end;
    {
        // The keys that signal go to the whole foreground group, this process with the program.
        const SignalAction interrupt(SIGINT, SIG_IGN);
        const SignalAction quit(SIGQUIT, SIG_IGN);
        end = run_first(commands);
    }
    take_terminal_back();
    return end;
}
