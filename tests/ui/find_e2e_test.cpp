// Finding text seen through a terminal: the prompt on the bottom row, the matches in reverse
// video, the next and the one before, the words on the bottom row, and links in a menu.
#include <gtest/gtest.h>

#include <string>

#include "support/e2e_pages.hpp"
#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"

using namespace e2e;

namespace {

// "Line 01" to "Line 60"; lines 12, 35 and 58 hold "Gopher" twice and once.
std::string document() {
    std::string text;
    for (int n = 1; n <= 60; ++n) {
        text += line_label(n);
        if (n == 12) {
            text += " a gopher and a GOPHER";
        } else if (n == 35 || n == 58) {
            text += " one Gopher";
        }
        text += "\r\n";
    }
    return text;
}

bool reversed(const PtyRun& run, int row, int col) {
    return cell_at(run, row, col).reverse;
}

// Columns of the row shown in reverse video, as a string of '^' and ' '.
std::string marks_of(const PtyRun& run, int row, int cols) {
    std::string marks;
    for (int col = 1; col <= cols; ++col) {
        marks += reversed(run, row, col) ? '^' : ' ';
    }
    marks.erase(marks.find_last_not_of(' ') + 1);
    return marks;
}

} // namespace

TEST(FindScreen, FindsMarksAndGoesRoundTheEndsInAText) {
    auto server = start_gopher_server();
    serve(*server, "/doc", Script{document()});
    const WindowSize& size = window_sizes[0];
    auto run = start_program({address_of(*server, "/0/doc")}, options_for(size));
    ASSERT_TRUE(wait_for_row(*run, 4, " Line 01")) << screen_text(*run) << run->errors;

    send_keys(*run, "/");
    ASSERT_TRUE(wait_until(*run, [&] {
        return row_text(*run, 24) == "Find:" && cursor(*run).visible && cursor(*run).col == 7;
    })) << screen_text(*run);
    EXPECT_EQ(look_at(*run, 24, 1), (Look{colour::bright_blue, colour::none, true}));
    send_keys(*run, "gopher\r");
    ASSERT_TRUE(wait_for_row(*run, 4, " Line 12 a gopher and a GOPHER")) << screen_text(*run);
    // Every match on screen, in reverse video; the colours stay.
    EXPECT_EQ(marks_of(*run, 4, 80), "           ^^^^^^       ^^^^^^");
    EXPECT_EQ(look_at(*run, 4, 13), (Look{colour::yellow, colour::none, true}));
    EXPECT_EQ(marks_of(*run, 5, 80), "");
    EXPECT_EQ(row_text(*run, 24), "");
    EXPECT_FALSE(cursor(*run).visible);

    send_keys(*run, "n");
    ASSERT_TRUE(wait_for_row(*run, 4, " Line 35 one Gopher")) << screen_text(*run);
    EXPECT_EQ(marks_of(*run, 4, 80), "             ^^^^^^");
    // Line 58 is on the last screen, which starts at line 41: it stays there, marked.
    send_keys(*run, "n");
    ASSERT_TRUE(wait_for_row(*run, 4, " Line 41")) << screen_text(*run);
    EXPECT_EQ(row_text(*run, 21), " Line 58 one Gopher");
    EXPECT_EQ(marks_of(*run, 21, 80), "             ^^^^^^");
    send_keys(*run, "n");
    ASSERT_TRUE(wait_for_row(*run, 4, " Line 12 a gopher and a GOPHER")) << screen_text(*run);
    ASSERT_TRUE(wait_for_row(*run, 24, "Search wrapped.")) << screen_text(*run);
    send_keys(*run, "N");
    ASSERT_TRUE(wait_for_row(*run, 21, " Line 58 one Gopher")) << screen_text(*run);
    ASSERT_TRUE(wait_for_row(*run, 24, "Search wrapped.")) << screen_text(*run);
    send_keys(*run, "N");
    ASSERT_TRUE(wait_for_row(*run, 4, " Line 35 one Gopher")) << screen_text(*run);
    EXPECT_EQ(row_text(*run, 24), "");

    // Not found: the words in red, the screen as it was; Esc in the prompt cancels.
    const std::string before = screen_text(*run);
    send_keys(*run, "/zebra\r");
    ASSERT_TRUE(wait_for_row(*run, 24, "Not found: zebra")) << screen_text(*run);
    EXPECT_EQ(look_at(*run, 24, 1), (Look{colour::red, colour::none, true}));
    send_keys(*run, "/x\033");
    ASSERT_TRUE(wait_until(*run, [&] { return screen_text(*run) == before; })) << screen_text(*run);
    // Enter on an empty prompt repeats the last search.
    send_keys(*run, "/\r");
    ASSERT_TRUE(wait_for_row(*run, 24, "Not found: zebra")) << screen_text(*run);
    EXPECT_EQ(run->scrolled_lines, 0);
    EXPECT_EQ(request_count(*server), 1u);
}

// A match in a link moves the selection to it and brings it to the top, and Enter opens it.
TEST(FindScreen, AMatchInAMenuLinkSelectsItAndEnterOpensIt) {
    auto server = start_gopher_server();
    std::string menu;
    for (int n = 1; n <= 60; ++n) {
        const std::string label = n == 30 ? "Weather at the gopher hole" : item_label(n);
        menu += menu_line(n == 7 ? 'i' : '0', label, "/item" + std::to_string(n), "127.0.0.1",
                          server->port);
    }
    serve(*server, "", Script{menu});
    serve(*server, "/item30", Script{"Sunny.\r\n"});
    auto run = start_program({address_of(*server)}, options_for(window_sizes[0]));
    ASSERT_TRUE(wait_for_row(*run, 4, at_column(2, "->" + item_label(1)))) << screen_text(*run);

    send_keys(*run, "/GOPHER h\r");
    ASSERT_TRUE(wait_for_row(*run, 4, at_column(2, "->Weather at the gopher hole")))
        << screen_text(*run);
    EXPECT_EQ(marks_of(*run, 4, 80), std::string(18, ' ') + std::string(8, '^'));
    EXPECT_EQ(look_at(*run, 4, 3), selection_look);
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_row(*run, 4, " Sunny.")) << screen_text(*run);
    EXPECT_EQ(requests(*server), (std::vector<std::string>{"\r\n", "/item30\r\n"}));
}
