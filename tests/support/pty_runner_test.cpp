// The test terminal itself: its answers to the program's questions, the environment it gives,
// and a shell with job control around the program.
#include "support/pty_runner.hpp"

#include <gtest/gtest.h>
#include <string>

#include "support/scratch_dir.hpp"

namespace {

// Asks what the screen tests' program asks, then keeps the first count bytes it reads.
constexpr const char* asking_script = R"(stty raw -echo
printf '\033]11;?\033\\\033[c'
dd bs=1 count="$1" of="$2" 2>/dev/null
printf 'done'
)";

constexpr std::string_view black_answer = "\033]11;rgb:0000/0000/0000\033\\";
constexpr std::string_view attributes_answer = "\033[?62;22c";

struct Asking {
    ScratchDir dir;
    std::unique_ptr<PtyRun> run;

    Asking(std::size_t count, PtyOptions options) {
        options.command = {"/bin/sh",         "-c", asking_script, "sh", std::to_string(count),
                           dir.path + "/read"};
        run = start_program({}, std::move(options));
    }
    std::string read() const { return read_file(dir.file("read")).value_or("(none)"); }
};

TEST(PtyRunner, AnswersTheColourThenTheAttributes) {
    const std::string both = std::string(black_answer) + std::string(attributes_answer);
    for (const AnswerTiming timing :
         {AnswerTiming::at_once, AnswerTiming::late, AnswerTiming::cut}) {
        Asking asking(both.size(), {.answers = TerminalAnswers::colour,
                                    .answer_timing = timing,
                                    .colour = "rgb:0000/0000/0000"});
        PtyRun& run = *asking.run;
        ASSERT_TRUE(wait_for_output(run, "\033[c")) << static_cast<int>(timing);
        if (timing == AnswerTiming::late) {
            EXPECT_EQ(run.held_answers, both);
        } else if (timing == AnswerTiming::cut) {
            EXPECT_EQ(run.held_answers, both.substr(black_answer.size() / 2));
        }
        release_answers(run);
        ASSERT_TRUE(wait_for_text(run, "done")) << screen_text(run);
        EXPECT_EQ(asking.read(), both) << static_cast<int>(timing);
    }
}

TEST(PtyRunner, AnswersOnlyTheAttributesOrNothing) {
    Asking attributes(attributes_answer.size(), {.answers = TerminalAnswers::attributes_only});
    ASSERT_TRUE(wait_for_text(*attributes.run, "done"));
    EXPECT_EQ(attributes.read(), attributes_answer);

    Asking silent(1, {.answers = TerminalAnswers::nothing});
    ASSERT_TRUE(wait_for_output(*silent.run, "\033[c"));
    send_keys(*silent.run, "x");
    ASSERT_TRUE(wait_for_text(*silent.run, "done"));
    EXPECT_EQ(silent.read(), "x");
}

TEST(PtyRunner, EnvironmentIsTheTestsOwn) {
    setenv("NO_COLOR", "1", 1);
    auto run = start_program(
        {}, {.command = {"/bin/sh", "-c",
                         "printf '[%s|%s|%s]' \"$COLORFGBG\" \"${NO_COLOR-unset}\" \"$TERM\"; "
                         "read x"},
             .environment = {"COLORFGBG=0;15"}});
    unsetenv("NO_COLOR");
    EXPECT_TRUE(wait_for_text(*run, "[0;15|unset|xterm-256color]")) << screen_text(*run);
}

// Ctrl-Z stops the job and fg brings it back, as in the user's shell.
TEST(PtyRunner, ShellWithJobControl) {
    auto run = start_program_in_shell({}, {.command = {"/bin/cat"}});
    ASSERT_NE(run, nullptr);
    // The shell's line editor has let go of the terminal: cat reads lines.
    const auto cooked = [&] { return (terminal_mode(*run).c_lflag & ICANON) != 0; };
    ASSERT_TRUE(wait_until(*run, cooked));
    send_keys(*run, "one\n");
    ASSERT_TRUE(wait_until(*run, [&] {
        return screen_text(*run).find("one\none") != std::string::npos;
    })) << screen_text(*run);
    send_keys(*run, "\x1a");
    const auto shows = [&](std::string_view text) {
        return wait_until(*run, [&] { return screen_text(*run).find(text) != std::string::npos; });
    };
    ASSERT_TRUE(shows("Stopped                 '/bin/cat'\n$")) << screen_text(*run);
    send_keys(*run, "fg\n");
    ASSERT_TRUE(shows("$ fg\n'/bin/cat'\n")) << screen_text(*run);
    ASSERT_TRUE(wait_until(*run, cooked));
    send_keys(*run, "two\n");
    ASSERT_TRUE(wait_until(*run, [&] {
        return screen_text(*run).find("two\ntwo") != std::string::npos;
    })) << screen_text(*run);
    send_keys(*run, "\x04");
    send_keys(*run, "exit\n");
    ASSERT_TRUE(wait_for_exit(*run)) << screen_text(*run);
    EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run);
}

} // namespace
