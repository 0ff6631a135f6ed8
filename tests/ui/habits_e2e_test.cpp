// The user's terminal and habits, seen through a terminal: the palette for a light background
// (from COLORFGBG or the terminal's answer), NO_COLOR and the type labels, Ctrl-Z under a shell's
// job control, and links handed to the user's programs after a question.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"
#include "support/scratch_dir.hpp"

using namespace e2e;

namespace {

const WindowSize& size = window_sizes[0];
const int bottom = size.rows;
constexpr int first_row = 4; // the first item's row

constexpr Look light_menu{28, colour::none, true};

std::string item(const GopherServer& server, char type, std::string_view display,
                 std::string_view selector) {
    return menu_line(type, display, selector, "127.0.0.1", server.port);
}

// A menu of a text, a menu, then the links given.
std::string menu_of(const GopherServer& server, const std::string& links = "") {
    return item(server, '0', "A text", "/t") + item(server, '1', "A menu", "/m") +
           "iJust words\t\terror.host\t1\r\n" + links + ".\r\n";
}

std::unique_ptr<PtyRun> start_on(GopherServer& server, const std::string& menu,
                                 PtyOptions options = options_for(size)) {
    serve(server, "", Script{menu});
    auto run = start_program({address_of(server)}, std::move(options));
    EXPECT_TRUE(wait_for_text(*run, "A menu")) << screen_text(*run) << run->errors;
    return run;
}

PtyOptions with(std::vector<std::string> environment, TerminalAnswers answers,
                AnswerTiming timing = AnswerTiming::at_once, std::string colour = "") {
    PtyOptions options = options_for(size);
    options.environment = std::move(environment);
    options.answers = answers;
    options.answer_timing = timing;
    if (!colour.empty()) {
        options.colour = std::move(colour);
    }
    return options;
}

// The second row, not selected, shows the palette's menu colour.
bool menu_row_is(PtyRun& run, const Look& look) {
    return wait_until(run, [&] { return look_at(run, first_row + 1, 4) == look; });
}

// Every parameter of the output's SGR sequences that sets a colour (30-49, 90-107).
std::string colour_parameters(const std::string& output) {
    std::string found;
    for (std::size_t at = output.find("\033["); at != std::string::npos;
         at = output.find("\033[", at + 1)) {
        std::size_t end = at + 2;
        while (end < output.size() &&
               ((output[end] >= '0' && output[end] <= '9') || output[end] == ';')) {
            ++end;
        }
        if (end >= output.size() || output[end] != 'm') {
            continue;
        }
        const std::string parameters = output.substr(at + 2, end - at - 2);
        std::size_t from = 0;
        while (from <= parameters.size()) {
            const std::size_t semicolon = std::min(parameters.find(';', from), parameters.size());
            const std::string p = parameters.substr(from, semicolon - from);
            const int n = p.empty() ? 0 : std::stoi(p);
            if ((n >= 30 && n <= 49) || (n >= 90 && n <= 107)) {
                found += parameters + " ";
                break;
            }
            from = semicolon + 1;
        }
    }
    return found;
}

void write_script(const std::string& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body;
    chmod(path.c_str(), 0755);
}

} // namespace

TEST(HabitsScreen, TheBackgroundChoosesThePalette) {
    const struct {
        const char* name;
        PtyOptions options;
        bool light;
    } cases[] = {
        {"COLORFGBG white", with({"COLORFGBG=0;15"}, TerminalAnswers::nothing), true},
        {"COLORFGBG black", with({"COLORFGBG=15;0"}, TerminalAnswers::colour), false},
        {"answered white",
         with({}, TerminalAnswers::colour, AnswerTiming::at_once, "rgb:ffff/ffff/ffff"), true},
        {"answered black",
         with({}, TerminalAnswers::colour, AnswerTiming::at_once, "rgb:0000/0000/0000"), false},
        {"attributes only", with({}, TerminalAnswers::attributes_only), false},
        {"no answer", with({}, TerminalAnswers::nothing), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto server = start_gopher_server();
        auto run = start_on(*server, menu_of(*server), c.options);
        if (c.light) {
            ASSERT_TRUE(menu_row_is(*run, light_menu)) << look_at(*run, first_row + 1, 4);
            EXPECT_EQ(cell_at(*run, first_row, 4).reverse, true) << "the selection";
            EXPECT_EQ(look_at(*run, first_row + 2, 4), (Look{243, colour::none, false}));
            EXPECT_EQ(look_at(*run, 1, size.cols / 2), (Look{231, colour::dark_blue, true}));
        } else {
            ASSERT_TRUE(menu_row_is(*run, Look{colour::green, colour::none, true}));
            EXPECT_EQ(look_at(*run, first_row, 4), selection_look);
        }
        send_keys(*run, "q");
        ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
        EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run);
    }
}

// An answer that comes after the first screen switches the palette then, whole or cut in two
// reads, and none of its bytes acts as a key.
TEST(HabitsScreen, ALateOrCutAnswerIsNeverTyped) {
    for (const AnswerTiming timing : {AnswerTiming::late, AnswerTiming::cut}) {
        SCOPED_TRACE(static_cast<int>(timing));
        auto server = start_gopher_server();
        auto run = start_on(*server, menu_of(*server),
                            with({}, TerminalAnswers::colour, timing, "rgb:ffff/ffff/ffff"));
        ASSERT_TRUE(menu_row_is(*run, Look{colour::green, colour::none, true}));
        if (timing == AnswerTiming::late) {
            send_keys(*run, "\033[B");
            ASSERT_TRUE(wait_for_row(*run, first_row + 1, at_column(2, "->A menu")));
        }
        release_answers(*run);
        const Look light_info{243, colour::none, false};
        ASSERT_TRUE(wait_until(*run, [&] { return look_at(*run, first_row + 2, 4) == light_info; }))
            << look_at(*run, first_row + 2, 4) << screen_text(*run);
        EXPECT_EQ(row_text(*run, first_row + (timing == AnswerTiming::late ? 1 : 0)).substr(0, 3),
                  " ->");
        EXPECT_EQ(row_text(*run, bottom), "");
        EXPECT_EQ(requests(*server), std::vector<std::string>{"\r\n"});
    }
}

TEST(HabitsScreen, NoColorDrawsNoColourAndShowsLabels) {
    auto server = start_gopher_server();
    auto run = start_on(*server, menu_of(*server), with({"NO_COLOR=1"}, TerminalAnswers::colour));
    ASSERT_TRUE(wait_for_row(*run, first_row, at_column(2, "->[TXT]  A text")))
        << screen_text(*run);
    EXPECT_EQ(row_text(*run, first_row + 1), at_column(2, "  [DIR]  A menu"));
    EXPECT_EQ(row_text(*run, first_row + 2), at_column(2, "         Just words"));
    EXPECT_TRUE(cell_at(*run, first_row, 4).reverse);
    EXPECT_FALSE(cell_at(*run, first_row + 1, 4).reverse);
    // Not even a question about the background, which would not change a thing.
    EXPECT_EQ(run->output.find("\033]11"), std::string::npos);
    send_keys(*run, "q");
    ASSERT_TRUE(wait_for_exit(*run));
    EXPECT_EQ(colour_parameters(run->output), "");
}

TEST(HabitsScreen, TTogglesTheLabels) {
    auto server = start_gopher_server();
    auto run = start_on(*server, menu_of(*server));
    ASSERT_TRUE(wait_for_row(*run, first_row, at_column(2, "->A text")));
    send_keys(*run, "t");
    ASSERT_TRUE(wait_for_row(*run, first_row, at_column(2, "->[TXT]  A text")))
        << screen_text(*run);
    EXPECT_EQ(row_text(*run, first_row + 2), at_column(2, "         Just words"));
    EXPECT_EQ(look_at(*run, first_row + 1, 4), (Look{colour::green, colour::none, true}));
    send_keys(*run, "t");
    ASSERT_TRUE(wait_for_row(*run, first_row, at_column(2, "->A text"))) << screen_text(*run);
}

// Ctrl-Z gives the terminal back to the shell as on exit; fg takes it again, raw, and the
// screen is drawn whole.
TEST(HabitsScreen, CtrlZSuspendsUnderJobControl) {
    auto server = start_gopher_server();
    serve(*server, "", Script{menu_of(*server)});
    PtyOptions options = options_for(size);
    auto run = start_program_in_shell({address_of(*server)}, options);
    ASSERT_NE(run, nullptr);
    ASSERT_TRUE(wait_for_text(*run, "A menu")) << screen_text(*run);
    const auto raw = [&] { return (terminal_mode(*run).c_lflag & ICANON) == 0; };
    ASSERT_TRUE(wait_until(*run, raw));
    send_keys(*run, "\x1a");
    ASSERT_TRUE(wait_until(*run, [&] { return screen_contains(*run, "Stopped"); }))
        << screen_text(*run);
    EXPECT_FALSE(screen_contains(*run, "A menu"));
    EXPECT_TRUE(cursor(*run).visible);
    send_keys(*run, "fg\n");
    ASSERT_TRUE(wait_for_row(*run, first_row, at_column(2, "->A text"))) << screen_text(*run);
    EXPECT_EQ(row_text(*run, first_row + 1), at_column(2, "  A menu"));
    EXPECT_EQ(look_at(*run, 1, size.cols / 2), band_look);
    ASSERT_TRUE(wait_until(*run, raw));
    send_keys(*run, "\033[B");
    ASSERT_TRUE(wait_for_row(*run, first_row + 1, at_column(2, "->A menu")));
    send_keys(*run, "q");
    ASSERT_TRUE(wait_until(*run, [&] { return screen_contains(*run, "$"); }));
    send_keys(*run, "exit\n");
    ASSERT_TRUE(wait_for_exit(*run)) << screen_text(*run);
}

// A web link goes to BROWSER's command after y: its arguments, its status, one missing.
TEST(HabitsScreen, WebLinksGoToTheBrowserAfterTheQuestion) {
    ScratchDir dir;
    const std::string record = dir.path + "/args";
    write_script(dir.path + "/ok", "printf '%s|' \"$@\" > " + record + "\nexit 0\n");
    write_script(dir.path + "/fails", "printf '%s|' \"$@\" > " + record + "\nexit 3\n");
    const std::string url = "https://example.org/a?b=c";
    const struct {
        std::string browser;
        std::string question;
        std::string recorded; // "" for none
        std::string bottom;   // after the program
    } cases[] = {
        {dir.path + "/ok", "Open " + url + " with " + dir.path + "/ok? (y/n)", url + "|", ""},
        {dir.path + "/fails --new", "Open " + url + " with " + dir.path + "/fails? (y/n)",
         "--new|" + url + "|", "Error: " + dir.path + "/fails failed (status 3)."},
        {dir.path + "/missing", "Open " + url + " with " + dir.path + "/missing? (y/n)", "",
         "Error: " + dir.path + "/missing failed (status 127)."},
        // The first command that can be run, with the URL where %s is.
        {dir.path + "/missing:" + dir.path + "/ok -u %s -x",
         "Open " + url + " with " + dir.path + "/ok? (y/n)", "-u|" + url + "|-x|", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.browser);
        std::remove(record.c_str());
        auto server = start_gopher_server();
        PtyOptions options = options_for(size);
        options.environment = {"BROWSER=" + c.browser};
        auto run =
            start_on(*server, menu_of(*server, item(*server, 'h', "Web", "URL:" + url)), options);
        send_keys(*run, "\033[B\033[B");
        ASSERT_TRUE(wait_for_row(*run, first_row + 3, at_column(2, "->Web")));
        // Any key but y says no.
        send_keys(*run, "\r");
        ASSERT_TRUE(wait_until(*run, [&] { return screen_contains(*run, c.question); }))
            << screen_text(*run);
        send_keys(*run, "n");
        ASSERT_TRUE(wait_for_row(*run, bottom, "")) << screen_text(*run);
        send_keys(*run, "\r");
        ASSERT_TRUE(wait_until(*run, [&] { return screen_contains(*run, c.question); }));
        send_keys(*run, "y");
        ASSERT_TRUE(wait_until(*run, [&] { return row_text(*run, bottom) == c.bottom; }))
            << screen_text(*run);
        ASSERT_TRUE(wait_for_row(*run, first_row + 3, at_column(2, "->Web")));
        EXPECT_EQ(terminal_mode(*run).c_lflag & (ICANON | ECHO), 0U) << "raw again";
        const std::optional<std::string> got = read_file(record);
        EXPECT_EQ(got.value_or(""), c.recorded);
        send_keys(*run, "q");
        ASSERT_TRUE(wait_for_exit(*run));
        EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run);
    }
}

TEST(HabitsScreen, TelnetGoesToTheProgramOnPath) {
    ScratchDir dir;
    const std::string record = dir.path + "/args";
    write_script(dir.path + "/telnet", "printf '%s|' \"$@\" > " + record + "\n");
    auto server = start_gopher_server();
    const std::string port = std::to_string(server->port);
    PtyOptions options = options_for(size);
    options.environment = {"PATH=" + dir.path};
    auto run = start_on(*server, menu_of(*server, item(*server, '8', "Session", "guest")), options);
    send_keys(*run, "\033[B\033[B\r");
    const std::string question =
        "Log in as: guest. Open telnet://127.0.0.1:" + port + " with telnet? (y/n)";
    ASSERT_TRUE(wait_until(*run, [&] { return screen_contains(*run, question); }))
        << screen_text(*run);
    send_keys(*run, "y");
    ASSERT_TRUE(wait_until(*run, [&] { return read_file(record).has_value(); }));
    ASSERT_TRUE(wait_for_row(*run, first_row + 3, at_column(2, "->Session")));
    EXPECT_EQ(read_file(record).value_or(""), "127.0.0.1|" + port + "|");
    EXPECT_EQ(row_text(*run, bottom), "");
}

// A link that could pass for an option or hide a second argument is never handed on.
TEST(HabitsScreen, UnsafeLinksAreRefused) {
    for (const std::string url : {"https://example.org/a b", "-oProxyCommand=x"}) {
        SCOPED_TRACE(url);
        auto server = start_gopher_server();
        PtyOptions options = options_for(size);
        options.environment = {"BROWSER=/bin/true"};
        auto run =
            start_on(*server, menu_of(*server, item(*server, 'h', "Web", "URL:" + url)), options);
        send_keys(*run, "\033[B\033[B\r");
        ASSERT_TRUE(wait_for_row(*run, bottom, "Error: This link cannot be opened safely."))
            << screen_text(*run);
    }
}
