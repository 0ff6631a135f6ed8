// Other programs run from ours: found on PATH, the first that runs, how it ended; and when a
// stop for the shell is possible.
#include "term/hand_over.hpp"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

#include "support/scratch_dir.hpp"
#include "term/terminal.hpp"

namespace {

void write_program(const std::string& path, mode_t mode) {
    std::ofstream(path) << "#!/bin/sh\nexit 0\n";
    ASSERT_EQ(chmod(path.c_str(), mode), 0);
}

TEST(HandOver, FindsAnExecutableFileOnPath) {
    const ScratchDir dir;
    const std::string bin = dir.path + "/bin";
    std::filesystem::create_directory(bin);
    std::filesystem::create_directory(bin + "/folder");
    write_program(bin + "/telnet", 0755);
    write_program(bin + "/plain", 0644);
    const std::string path = dir.path + "/missing::" + bin;
    EXPECT_EQ(find_program("telnet", path.c_str()), bin + "/telnet");
    EXPECT_EQ(find_program("plain", path.c_str()), std::nullopt);  // not executable
    EXPECT_EQ(find_program("folder", path.c_str()), std::nullopt); // not a file
    EXPECT_EQ(find_program("tn3270", path.c_str()), std::nullopt);
    EXPECT_EQ(find_program("", path.c_str()), std::nullopt);
    // A name with a '/' is the path itself.
    EXPECT_EQ(find_program(bin + "/telnet", ""), bin + "/telnet");
    EXPECT_EQ(find_program(bin + "/plain", path.c_str()), std::nullopt);
    // No PATH: the system's own folders.
    EXPECT_EQ(find_program("sh", nullptr), "/bin/sh");

    const std::vector<Command> commands = {{"nothing-of-that-name"}, {}, {"telnet", "x"}};
    EXPECT_EQ(first_runnable(commands, path.c_str()), 2U);
    EXPECT_EQ(first_runnable({{"nothing-of-that-name"}, {"plain"}}, path.c_str()), 0U);
}

TEST(HandOver, RunsTheFirstCommandThatRunsAndSaysHowItEnded) {
    const struct {
        std::vector<Command> commands;
        int status;
        std::size_t command;
    } cases[] = {
        {{{"true"}}, 0, 0},
        {{{"sh", "-c", "exit 3"}}, 3, 0},
        {{{"/nonexistent/browser", "x"}, {"sh", "-c", "exit 4"}}, 4, 1},
        {{{"nothing-of-that-name"}, {}, {"true"}}, 0, 2},
        {{{"nothing-of-that-name"}, {"/nonexistent/x"}}, 127, 0},
        {{}, 127, 0},
        {{{"sh", "-c", "kill -TERM $$"}}, 128 + SIGTERM, 0},
        // Each word is one argument, never read by a shell.
        {{{"sh", "-c", "test \"$1\" = 'a b;c'", "sh", "a b;c"}}, 0, 0},
    };
    for (const auto& c : cases) {
        const ProgramEnd end = run_first(c.commands);
        EXPECT_EQ(end.status, c.status) << testing::PrintToString(c.commands);
        EXPECT_EQ(end.command, c.command) << testing::PrintToString(c.commands);
    }
}

// What we ignore or block is not the program's business: it gets every signal at its default.
TEST(HandOver, ProgramGetsSignalsAtTheirDefaults) {
    struct sigaction ignore {
    }, before_int{}, before_pipe{};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ASSERT_EQ(sigaction(SIGINT, &ignore, &before_int), 0);
    ASSERT_EQ(sigaction(SIGPIPE, &ignore, &before_pipe), 0);
    sigset_t blocked, before_mask;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &blocked, &before_mask), 0);
    const ProgramEnd interrupted = run_first({{"sh", "-c", "kill -INT $$; exit 0"}});
    const ProgramEnd piped = run_first({{"sh", "-c", "kill -PIPE $$; exit 0"}});
    const ProgramEnd terminated = run_first({{"sh", "-c", "kill -TERM $$; exit 0"}});
    pthread_sigmask(SIG_SETMASK, &before_mask, nullptr);
    sigaction(SIGINT, &before_int, nullptr);
    sigaction(SIGPIPE, &before_pipe, nullptr);
    EXPECT_EQ(interrupted.status, 128 + SIGINT);
    EXPECT_EQ(piped.status, 128 + SIGPIPE);
    EXPECT_EQ(terminated.status, 128 + SIGTERM);
}

TEST(JobControl, OnlyAForegroundJobOfAWatchingShellStops) {
    const JobFacts job{false, 200, 200, 100, 50, 50};
    EXPECT_TRUE(job_control_available(job));
    const struct {
        const char* why;
        JobFacts facts;
    } without[] = {
        {"stops ignored", {true, 200, 200, 100, 50, 50}},
        {"in the background", {false, 300, 200, 100, 50, 50}},
        {"no terminal", {false, -1, 200, 100, 50, 50}},
        {"in the parent's group: a shell without job control", {false, 200, 200, 200, 50, 50}},
        {"parent in another session: orphaned", {false, 200, 200, 1, 50, 1}},
        {"parent gone", {false, 200, 200, -1, 50, -1}},
    };
    for (const auto& w : without) {
        EXPECT_FALSE(job_control_available(w.facts)) << w.why;
    }
}

// The test runs with no terminal of its own, or in a pipe under ctest: never a stop.
TEST(JobControl, FactsOfThisProcess) {
    const JobFacts facts = read_job_facts();
    EXPECT_EQ(facts.group, getpgrp());
    EXPECT_EQ(facts.session, getsid(0));
    if (facts.foreground != getpgrp()) {
        EXPECT_FALSE(job_control_available(facts));
    }
}

} // namespace
