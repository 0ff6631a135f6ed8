// The about screen seen through a terminal: where its lines stand, their colours, and the way
// back to the view that opened it.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "base/version.hpp"
#include "support/e2e_pages.hpp"
#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"

using namespace e2e;

namespace {

struct AboutLine {
    std::string_view text;
    int fg;
};

constexpr AboutLine about_lines[] = {
    {"Welcome to Kesmor " KESMOR_VERSION "!", colour::green},
    {"        \\`~'/", colour::magenta},
    {"        (o o)", colour::magenta},
    {"       / \\ / \\", colour::magenta},
    {"          \"", colour::magenta},
    {"", colour::yellow},
    {"Shortcuts:", colour::green},
    {"    Arrows: Navigate", colour::yellow},
    {"      Enter: Select", colour::yellow},
    {"        b: Back", colour::yellow},
    {"        f: Forward", colour::yellow},
    {"        o: Open URL", colour::yellow},
    {"        r: Reload", colour::yellow},
    {"        s: Save", colour::yellow},
    {"        u: Show URL", colour::yellow},
    {"        /: Find", colour::yellow},
    {"     n, N: Next, Previous", colour::yellow},
    {"        w: Wrap", colour::yellow},
    {"        a: About", colour::yellow},
    {"        q: Quit", colour::yellow},
};

// Beside the keys above, 40 columns right, from "Arrows" on.
constexpr std::string_view later_keys[] = {
    "        m: Bookmark",        "        B: Bookmarks",   "        H: History",
    "        d: Remove bookmark", "        t: Type labels", "    Space: Page Down",
    "     j, k: Down, Up",        "     g, G: Home, End",   "   Ctrl-L: Redraw",
    "   Ctrl-Z: Suspend",         "        ?: About",
};
constexpr int first_key_line = 7;

struct AboutPlace {
    WindowSize size;
    int title_col;
    int block_row;
    int block_col;
};
// The block of 20 lines and 66 columns is centred, but never above row 3.
constexpr int last_line = static_cast<int>(std::size(about_lines)) - 1;
const AboutPlace places[] = {{window_sizes[0], 34, 3, 7}, {window_sizes[1], 44, 5, 17}};

// Sends 'a' and waits for the whole about screen.
::testing::AssertionResult about_shown(PtyRun& run, const AboutPlace& place) {
    const std::size_t mark = run.output.size();
    send_keys(run, "a");
    if (wait_for_frame(run, mark, [&] {
            return row_text(run, place.block_row + last_line) ==
                   at_column(place.block_col, about_lines[last_line].text);
        })) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << screen_text(run);
}

// Sends the key that ends the about screen and waits for the view's screen as it was.
::testing::AssertionResult key_returns_to(PtyRun& run, std::string_view key,
                                          const std::string& screen) {
    const std::size_t mark = run.output.size();
    send_keys(run, key);
    if (wait_for_frame(run, mark, [&] { return screen_text(run) == screen; })) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "screen now:\n" << screen_text(run);
}

} // namespace

TEST(AboutScreen, LinesStandAtTheirCellsInTheirColours) {
    for (const AboutPlace& place : places) {
        const WindowSize& size = place.size;
        SCOPED_TRACE(::testing::Message() << "case=" << size);
        auto server = start_gopher_server();
        serve(*server, "", Script{menu_line('0', "Doc", "/doc", "127.0.0.1", server->port)});
        auto run = start_program({address_of(*server)}, options_for(size));
        ASSERT_TRUE(wait_for_row(*run, 4, at_column(size.content_col, "->Doc")))
            << screen_text(*run) << run->errors;
        const std::string menu_screen = screen_text(*run);

        ASSERT_TRUE(about_shown(*run, place));
        EXPECT_EQ(row_text(*run, 1), at_column(place.title_col, "About Kesmor"));
        for (int col = 1; col <= size.cols; ++col) {
            const bool in_band = col >= size.bar_col && col < size.bar_col + 78;
            EXPECT_EQ(look_at(*run, 1, col), in_band ? band_look : plain_look) << "col=" << col;
        }
        for (int row = 2; row <= size.rows; ++row) {
            const int n = row - place.block_row;
            if (n < 0 || n > last_line) {
                EXPECT_EQ(row_text(*run, row), "") << "row=" << row;
                continue;
            }
            const AboutLine& line = about_lines[n];
            std::string expected = line.text.empty() ? "" : at_column(place.block_col, line.text);
            const int later = n - first_key_line;
            if (later >= 0 && later < static_cast<int>(std::size(later_keys))) {
                expected.resize(static_cast<std::size_t>(place.block_col) - 1 + 40, ' ');
                expected += later_keys[later];
                for (int i = 0; i < static_cast<int>(later_keys[later].size()); ++i) {
                    if (later_keys[later][static_cast<std::size_t>(i)] == ' ') {
                        continue;
                    }
                    EXPECT_EQ(look_at(*run, row, place.block_col + 40 + i).fg, colour::yellow)
                        << "row=" << row;
                }
            }
            EXPECT_EQ(row_text(*run, row), expected) << "row=" << row;
            for (int i = 0; i < static_cast<int>(line.text.size()); ++i) {
                if (line.text[static_cast<std::size_t>(i)] != ' ') {
                    EXPECT_EQ(look_at(*run, row, place.block_col + i),
                              (Look{line.fg, colour::none, true}))
                        << "row=" << row << " col=" << place.block_col + i;
                }
            }
        }
        EXPECT_FALSE(cursor(*run).visible);

        ASSERT_TRUE(key_returns_to(*run, "x", menu_screen));
        EXPECT_EQ(request_count(*server), 1u);
    }
}

TEST(AboutScreen, AnyKeyReturnsToTheTextAtTheSamePosition) {
    // The rest of an arrow key, after the ESC that ended the screen, is dropped by the view.
    for (const char* key : {"x", "\r", "\033", "q", "\033[B"}) {
        SCOPED_TRACE(::testing::Message() << "case=" << static_cast<int>(key[0]) << key + 1);
        auto server = start_gopher_server();
        serve(*server, "/doc", Script{numbered_lines(60)});
        auto run = start_program({address_of(*server, "/0/doc")}, options_for(window_sizes[0]));
        ASSERT_TRUE(wait_for_row(*run, 23, at_column(2, line_label(20)))) << screen_text(*run);
        std::size_t mark = run->output.size();
        send_keys(*run, "\033[6");
        ASSERT_TRUE(wait_for_frame(*run, mark, [&] {
            return row_text(*run, 23) == at_column(2, line_label(40));
        })) << screen_text(*run);
        const std::string text_screen = screen_text(*run);

        ASSERT_TRUE(about_shown(*run, places[0]));
        ASSERT_TRUE(key_returns_to(*run, key, text_screen));
        EXPECT_FALSE(run->reaped) << describe_end(*run);
        EXPECT_EQ(request_count(*server), 1u);
    }
}

TEST(AboutScreen, AnyKeyReturnsToTheMenuScrolledAsItWas) {
    for (const char* key : {"x", "\033[B"}) {
        SCOPED_TRACE(::testing::Message() << "case=" << static_cast<int>(key[0]) << key + 1);
        auto server = start_gopher_server();
        serve(*server, "", Script{long_menu(*server, 50)});
        auto run = start_program({address_of(*server)}, options_for(window_sizes[1]));
        ASSERT_TRUE(wait_for_row(*run, 29, at_column(12, "  " + item_label(25))))
            << screen_text(*run);
        // Up wraps to the last link and scrolls the list down to it.
        std::size_t mark = run->output.size();
        send_keys(*run, "\033[A");
        ASSERT_TRUE(wait_for_frame(*run, mark, [&] {
            return row_text(*run, 29) == at_column(12, "->" + item_label(50));
        })) << screen_text(*run);
        const std::string scrolled = screen_text(*run);

        ASSERT_TRUE(about_shown(*run, places[1]));
        // The list keeps its scroll and its selection.
        ASSERT_TRUE(key_returns_to(*run, key, scrolled));
        EXPECT_EQ(request_count(*server), 1u);
    }
}

// In a small window nothing wraps or scrolls: the lines below it are left out, the wider ones
// end at its last column, the title and the band too.
TEST(AboutScreen, IsCutToSmallWindows) {
    const struct {
        int rows;
        int cols;
        int title_col;
        int block_col;
    } cases[] = {{12, 40, 14, 7}, {8, 16, 2, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case=" << c.rows << "x" << c.cols);
        auto server = start_gopher_server();
        serve(*server, "", Script{menu_line('0', "Doc", "/doc", "127.0.0.1", server->port)});
        PtyOptions options;
        options.rows = c.rows;
        options.cols = c.cols;
        auto run = start_program({address_of(*server)}, options);
        ASSERT_TRUE(wait_for_row(*run, 4, at_column(1, "->Doc"))) << screen_text(*run);
        const std::string menu_screen = screen_text(*run);

        // The block starts on row 3; the rows of the window show its first lines.
        const int block_room = c.cols - c.block_col + 1;
        const auto shown = [&](int row) {
            const std::string_view text = about_lines[row - 3].text;
            return text.empty() ? ""
                                : at_column(c.block_col,
                                            text.substr(0, static_cast<std::size_t>(block_room)));
        };
        const std::size_t mark = run->output.size();
        send_keys(*run, "a");
        ASSERT_TRUE(wait_for_frame(*run, mark, [&] {
            return row_text(*run, c.rows) == shown(c.rows);
        })) << screen_text(*run);
        const int title_room = c.cols - c.title_col + 1;
        const std::string title =
            std::string("About Kesmor").substr(0, static_cast<std::size_t>(title_room));
        EXPECT_EQ(row_text(*run, 1), at_column(c.title_col, title));
        for (int col = 1; col <= c.cols; ++col) {
            EXPECT_EQ(look_at(*run, 1, col), band_look) << "col=" << col;
        }
        EXPECT_EQ(row_text(*run, 2), "");
        for (int row = 3; row <= c.rows; ++row) {
            EXPECT_EQ(row_text(*run, row), shown(row)) << "row=" << row;
        }
        ASSERT_TRUE(key_returns_to(*run, "x", menu_screen));
    }
}
