// Bytes from the network cannot drive the terminal: what a served page holds reaches the screen
// only as text, whichever way it is drawn.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/e2e_pages.hpp"
#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"

using namespace e2e;

namespace {

// A window title (OSC ended by BEL), a cursor move to row 10, column 40, a full terminal reset
// (ESC c) and a lone ESC at the end, between the words.
constexpr std::string_view hostile = "one\033]0;pwned\007two\033[10;40Hthree\033cfour\033";
constexpr std::string_view hostile_shown = "onetwothreefour";
constexpr std::string_view ask_background = "\033]11;?\033\\";

void expect_nothing_reached_the_terminal(const PtyRun& run) {
    EXPECT_EQ(run.title, "");
    EXPECT_EQ(run.output.find("pwned"), std::string::npos);
    // The one OSC of the output is the program's own question about the background.
    std::string output = run.output;
    for (std::size_t at = output.find(ask_background); at != std::string::npos;
         at = output.find(ask_background)) {
        output.erase(at, ask_background.size());
    }
    EXPECT_EQ(output.find("\033]"), std::string::npos);
    EXPECT_EQ(run.output.find("\033[10;40H"), std::string::npos);
    EXPECT_EQ(run.output.find("\033c"), std::string::npos);
    EXPECT_NE(run.output.find(hostile_shown), std::string::npos);
    EXPECT_EQ(row_text(run, 10).size() < 40 ? ' ' : row_text(run, 10)[39], ' ');
}

} // namespace

TEST(UntrustedScreen, TextLineCannotDriveTheTerminal) {
    auto server = start_gopher_server();
    serve(*server, "/doc",
          Script{"First line\r\n" + std::string(hostile) + "\r\nA tab\there\r\nLast line\r\n"});
    auto run = start_program({address_of(*server, "/0/doc")});
    ASSERT_TRUE(wait_for_row(*run, 7, at_column(2, "Last line"))) << screen_text(*run);

    EXPECT_EQ(row_text(*run, 4), at_column(2, "First line"));
    EXPECT_EQ(row_text(*run, 5), at_column(2, hostile_shown));
    // A TAB becomes blanks up to the next multiple of 8 columns from the start of the line.
    EXPECT_EQ(row_text(*run, 6), at_column(2, "A tab   here"));
    EXPECT_EQ(row_text(*run, 8), "");
    // The text's colour was not reset by anything in it.
    EXPECT_EQ(look_at(*run, 5, 2 + static_cast<int>(hostile_shown.size()) - 1),
              (Look{colour::yellow, colour::none, true}));
    expect_nothing_reached_the_terminal(*run);
}

TEST(UntrustedScreen, MenuDisplayCannotDriveTheTerminal) {
    auto server = start_gopher_server();
    serve(*server, "",
          Script{menu_line('0', hostile, "/a", "127.0.0.1", server->port) +
                 menu_line('1', "Next", "/b", "127.0.0.1", server->port)});
    auto run = start_program({address_of(*server)});
    ASSERT_TRUE(wait_for_row(*run, 5, at_column(2, "  Next"))) << screen_text(*run);

    EXPECT_EQ(row_text(*run, 4), at_column(2, "->" + std::string(hostile_shown)));
    for (int col = 2; col < 4 + static_cast<int>(hostile_shown.size()); ++col) {
        EXPECT_EQ(look_at(*run, 4, col), selection_look) << "col=" << col;
    }
    EXPECT_EQ(row_text(*run, 6), "");
    expect_nothing_reached_the_terminal(*run);
}

TEST(UntrustedScreen, SelectorInTheHeaderCannotDriveTheTerminal) {
    // The selector goes to the server as it is, and into the header's URL only as text.
    auto server = start_gopher_server();
    const std::string selector = "/x" + std::string(hostile);
    serve(*server, "", Script{menu_line('0', "Odd", selector, "127.0.0.1", server->port)});
    serve(*server, selector, Script{"Body\r\n"});
    auto run = start_program({address_of(*server)});
    ASSERT_TRUE(wait_for_row(*run, 4, at_column(2, "->Odd"))) << screen_text(*run);
    const std::size_t mark = run->output.size();
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_frame(*run, mark, [&] {
        return row_text(*run, 4) == at_column(2, "Body");
    })) << screen_text(*run);

    EXPECT_EQ(requests(*server), (std::vector<std::string>{"\r\n", selector + "\r\n"}));
    const std::string url = url_of(*server, "/0/x" + std::string(hostile_shown));
    // Centred by what it shows: the removed sequences take no column.
    EXPECT_EQ(row_text(*run, 1), at_column((80 - static_cast<int>(url.size())) / 2, url));
    expect_nothing_reached_the_terminal(*run);
}

// Lines that are not UTF-8 are read as Windows-1252, one line at a time, in a text and in a
// menu; their escape sequences are still removed, and UTF-8 lines show as they are.
TEST(UntrustedScreen, LinesThatAreNotUtf8AreReadAsWindows1252) {
    auto server = start_gopher_server();
    const std::string latin1 = "Caf\xe9 cr\xe8me \x93quoted\x94 na\xefve";
    const std::string shown = "Café crème “quoted” naïve";
    serve(*server, "/doc",
          Script{latin1 + "\r\n" + "Gar\xe7on\033[31m! \033]0;pwned\007\xa3" + "5\r\n" +
                 "D\xc3\xa9j\xc3\xa0 vu, \xe6\xbc\xa2\r\n" + "\xc3\r\n"});
    serve(*server, "",
          Script{menu_line('0', latin1, "/doc", "127.0.0.1", server->port) +
                 menu_line('i',
                           "Se\xf1or \033[2J"
                           "a\xf1o",
                           "", "127.0.0.1", server->port) +
                 menu_line('i', "Se\xc3\xb1or", "", "127.0.0.1", server->port)});
    auto run = start_program({address_of(*server)});
    ASSERT_TRUE(wait_for_row(*run, 4, at_column(2, "->" + shown))) << screen_text(*run);
    EXPECT_EQ(row_text(*run, 5), at_column(2, "  Señor año"));
    EXPECT_EQ(row_text(*run, 6), at_column(2, "  Señor"));

    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_row(*run, 4, at_column(2, shown))) << screen_text(*run);
    EXPECT_EQ(row_text(*run, 5), at_column(2, "Garçon! £5"));
    EXPECT_EQ(row_text(*run, 6), at_column(2, "Déjà vu, 漢"));
    EXPECT_EQ(row_text(*run, 7), at_column(2, "Ã")); // one byte, a whole line of it
    EXPECT_EQ(run->output.find("\033[31m!"), std::string::npos);
    EXPECT_EQ(run->output.find("\033[2J"), std::string::npos);
    EXPECT_EQ(run->title, "");
    // What is found is what is shown: the sequence between the letters is not there.
    send_keys(*run, "/ON! \r");
    ASSERT_TRUE(wait_until(*run, [&] { return cell_at(*run, 5, 6).reverse; })) << screen_text(*run);
    EXPECT_EQ(row_text(*run, 24), "");
}
