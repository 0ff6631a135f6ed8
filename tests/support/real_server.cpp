// Starts and stops the real Gopher server of the end-to-end tests through scripts/gopher_server.sh.
#include "support/real_server.hpp"

#include "gopher/descriptor.hpp"
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// The script waits at most 10 s for the port and 10 s for the first connection, and a stop at
// most 10 s; these leave room for a busy machine without letting a hung script hang a test.
constexpr int start_timeout_ms = 60'000;
constexpr int stop_timeout_ms = 30'000;

const std::string server_script = KESMOR_SOURCE_DIR "/scripts/gopher_server.sh";

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

struct ScriptRun {
    bool finished = false; // ended by itself within the time-out
    int status = 0;        // from waitpid, once finished
    std::string out;
    std::string err;
};

int remaining_ms(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Runs the server script with args; its standard output comes back whole, its standard error
// for the failure message. A script still running at the time-out is killed.
ScriptRun run_server_script(const std::vector<std::string>& args, int timeout_ms) {
    ScriptRun run;
    int pipe_fds[2];
    if (pipe2(pipe_fds, O_CLOEXEC) != 0) {
        run.err = "pipe failed";
        return run;
    }
    Descriptor out_read(pipe_fds[0]);
    Descriptor out_write(pipe_fds[1]);
    std::unique_ptr<std::FILE, FileCloser> err_file(std::tmpfile());
    if (!err_file) {
        run.err = "tmpfile failed";
        return run;
    }

    std::vector<std::string> argv_text{"bash", server_script};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argv_text) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out_write.fd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fileno(err_file.get()), STDERR_FILENO);
    // The server inherits the script's descriptors: only the three standard ones may go along.
    posix_spawn_file_actions_addclose(&actions, fileno(err_file.get()));
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "bash", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        run.err = "could not run bash";
        return run;
    }
    out_write.reset();
    out_write.fd = -1;

    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        pollfd ready{out_read.fd, POLLIN, 0};
        const int polled = poll(&ready, 1, remaining_ms(deadline));
        if (polled < 0 && errno == EINTR) {
            continue;
        }
        if (polled <= 0) {
            break;
        }
        char chunk[256];
        const ssize_t got = read(out_read.fd, chunk, sizeof chunk);
        if (got <= 0) {
            break;
        }
        run.out.append(chunk, static_cast<std::size_t>(got));
    }
    while (!run.finished) {
        const pid_t reaped = waitpid(pid, &run.status, WNOHANG);
        if (reaped == pid) {
            run.finished = true;
        } else if (reaped < 0 || remaining_ms(deadline) == 0) {
            break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    if (!run.finished) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        run.err = "timed out after " + std::to_string(timeout_ms) + " ms; ";
    }

    std::rewind(err_file.get());
    char chunk[256];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, err_file.get())) > 0) {
        run.err.append(chunk, got);
    }
    return run;
}

bool succeeded(const ScriptRun& run) {
    return run.finished && WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0;
}

} // namespace

RealServer::~RealServer() {
    if (pid <= 0) {
        return;
    }
    const ScriptRun run = run_server_script({"stop", std::to_string(pid)}, stop_timeout_ms);
    if (!succeeded(run)) {
        ADD_FAILURE() << "could not stop the Gopher server with PID " << pid << ": " << run.err;
    }
}

std::string demo_gopherhole() {
    return KESMOR_SOURCE_DIR "/demo/gopherhole";
}

std::unique_ptr<RealServer> start_real_server(std::string_view root) {
    const std::string tree = root.empty() ? demo_gopherhole() : std::string(root);
    const ScriptRun run = run_server_script({"start", tree}, start_timeout_ms);
    auto server = std::make_unique<RealServer>();
    std::istringstream words(run.out);
    words >> server->port >> server->pid;
    if (!succeeded(run) || !words || server->port <= 0 || server->pid <= 0) {
        ADD_FAILURE() << "the Gopher server for " << tree
                      << " did not start (scripts/gopher_server.sh printed \"" << run.out
                      << "\"): " << run.err;
        // A half-parsed PID may belong to someone else: never stop it.
        server->pid = 0;
        return nullptr;
    }
    return server;
}

std::string real_server_url(const RealServer& server) {
    return "gopher://127.0.0.1:" + std::to_string(server.port) + "/";
}
