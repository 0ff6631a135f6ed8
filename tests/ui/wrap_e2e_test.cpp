// Long lines of a text seen through a terminal: wrapped onto the rows below and read to the end
// by rows and by pages, cut with `w` and scrolled sideways, and the row kept on back and forward.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/e2e_pages.hpp"
#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"

using namespace e2e;

namespace {

const std::string han = "\xe6\xbc\xa2"; // two columns

// 200 letters and digits without a blank.
std::string solid_line() {
    std::string solid;
    for (int n = 0; solid.size() < 200; ++n) {
        solid += static_cast<char>('a' + n % 26);
        solid += static_cast<char>('0' + n % 10);
    }
    return solid;
}

// Lines of 200 columns and more: words, no blank at all, wide characters, TABs; each one
// different from the others, so that no two screens look alike.
std::string wide_text() {
    std::string text = "Wide lines\r\n";
    std::string words;
    for (int n = 0; words.size() < 200; ++n) {
        words += "word" + std::to_string(n) + " ";
    }
    text += words + "\r\n";
    const std::string solid = solid_line();
    text += solid + "\r\n";
    std::string wide;
    for (int n = 0; n < 70; ++n) {
        wide += static_cast<char>('A' + n % 26) + han;
    }
    text += wide + "\r\n";
    std::string tabs;
    for (int n = 0; n < 30; ++n) {
        tabs += "t" + std::to_string(n) + "\t";
    }
    text += tabs + "\r\n";
    text += "between\r\n" + words + solid + "\r\nend of the text\r\n";
    return text;
}

// What every row together must show: the text without its blanks, TABs and line ends.
std::string without_blanks(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            out += c;
        }
    }
    return out;
}

std::vector<std::string> content_rows_of(const PtyRun& run, int rows) {
    std::vector<std::string> out;
    for (int row = 4; row < rows; ++row) {
        out.push_back(row_text(run, row));
    }
    return out;
}

// Sends a key and waits for its frame.
::testing::AssertionResult key_frame(PtyRun& run, std::string_view key) {
    const std::size_t mark = run.output.size();
    send_keys(run, key);
    if (wait_for_frame(run, mark, [] { return true; })) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "no frame after the key\n" << screen_text(run);
}

struct Shown {
    std::unique_ptr<GopherServer> server = start_gopher_server();
    std::unique_ptr<PtyRun> run;

    Shown(const std::string& text, int rows, int cols) {
        serve(*server, "/doc", Script{text});
        PtyOptions options;
        options.rows = rows;
        options.cols = cols;
        run = start_program({address_of(*server, "/0/doc")}, options);
    }
};

} // namespace

// Down to the end one row at a time shows every character of the text once, in order; Page Down
// shows the same rows a screen at a time, and End the last screen of them.
TEST(WrapScreen, LongLinesAreReadToTheEndByRowsAndByPages) {
    const std::string text = wide_text();
    for (const WindowSize size : {WindowSize{24, 80, 1, 2}, WindowSize{12, 40, 1, 1}}) {
        SCOPED_TRACE(::testing::Message() << "case=" << size);
        Shown shown(text, size.rows, size.cols);
        PtyRun& run = *shown.run;
        ASSERT_TRUE(wait_for_row(run, 4, at_column(size.content_col, "Wide lines")))
            << screen_text(run) << run.errors;
        const int visible = size.rows - 4;

        std::vector<std::string> rows = content_rows_of(run, size.rows);
        for (int presses = 0;; ++presses) {
            ASSERT_LT(presses, 200) << "no end";
            const std::vector<std::string> before = content_rows_of(run, size.rows);
            ASSERT_TRUE(key_frame(run, "\033[B"));
            const std::vector<std::string> after = content_rows_of(run, size.rows);
            if (after == before) {
                break; // the last row is on the bottom row
            }
            ASSERT_TRUE(std::equal(before.begin() + 1, before.end(), after.begin()))
                << "Down moves one row\n"
                << screen_text(run);
            rows.push_back(after.back());
        }
        std::string joined;
        for (const std::string& row : rows) {
            joined += row;
        }
        EXPECT_EQ(without_blanks(joined), without_blanks(text));
        EXPECT_EQ(rows.back(), at_column(size.content_col, "end of the text"));

        // The same rows by pages from the top: a screen on each time, the last screen full.
        ASSERT_TRUE(key_frame(run, "\033[H"));
        const auto total = static_cast<int>(rows.size());
        for (int top = 0;; top += visible) {
            const int shown_top = top + visible <= total ? top : total - visible;
            const std::vector<std::string> want(rows.begin() + shown_top,
                                                rows.begin() + shown_top + visible);
            EXPECT_EQ(content_rows_of(run, size.rows), want) << "page from row " << top;
            if (top + visible >= total) {
                break;
            }
            ASSERT_TRUE(key_frame(run, "\033[6~"));
        }
        ASSERT_TRUE(key_frame(run, "\033[H"));
        ASSERT_TRUE(key_frame(run, "\033[F"));
        EXPECT_EQ(content_rows_of(run, size.rows),
                  std::vector<std::string>(rows.end() - visible, rows.end()));
        EXPECT_EQ(run.scrolled_lines, 0);
    }
}

// `w` cuts the lines at the room; Right and Left then scroll by half the room up to where the
// longest line on screen ends; `w` again wraps them.
TEST(WrapScreen, WCutsLinesAndRightAndLeftShowTheColumnsPastTheRoom) {
    std::string ruler; // 200 columns: "0000000000111..."
    for (int n = 0; n < 200; ++n) {
        ruler += static_cast<char>('0' + n / 10 % 10);
    }
    const std::string text = "First\r\n" + ruler + "\r\nshort\r\nlast\r\n";
    Shown shown(text, 24, 80);
    PtyRun& run = *shown.run;
    ASSERT_TRUE(wait_for_row(run, 4, " First")) << screen_text(run) << run.errors;
    EXPECT_EQ(row_text(run, 5), " " + ruler.substr(0, 78));
    EXPECT_EQ(row_text(run, 6), " " + ruler.substr(78, 78));
    EXPECT_EQ(row_text(run, 7), " " + ruler.substr(156));
    EXPECT_EQ(row_text(run, 8), " short");

    ASSERT_TRUE(key_frame(run, "w"));
    EXPECT_EQ(row_text(run, 4), " First");
    EXPECT_EQ(row_text(run, 5), " " + ruler.substr(0, 78));
    EXPECT_EQ(row_text(run, 6), " short");
    EXPECT_EQ(row_text(run, 7), " last");

    struct Step {
        const char* key;
        std::size_t left;
    };
    // Half the room is 39 columns; the longest line on screen ends at 200.
    const Step steps[] = {{"\033[C", 39},  {"\033OC", 78},  {"\033[C", 117}, {"\033[C", 156},
                          {"\033[C", 156}, {"\033[D", 117}, {"\033OD", 78},  {"\033[D", 39},
                          {"\033[D", 0},   {"\033[D", 0}};
    for (const Step& step : steps) {
        SCOPED_TRACE(::testing::Message() << "left=" << step.left);
        ASSERT_TRUE(key_frame(run, step.key));
        EXPECT_EQ(row_text(run, 5), " " + ruler.substr(step.left, 78));
        EXPECT_EQ(row_text(run, 6), step.left == 0 ? " short" : "");
    }
    ASSERT_TRUE(key_frame(run, "\033[C"));
    ASSERT_TRUE(key_frame(run, "w"));
    EXPECT_EQ(row_text(run, 5), " " + ruler.substr(0, 78));
    EXPECT_EQ(row_text(run, 6), " " + ruler.substr(78, 78));

    // Right and Left do nothing while lines wrap.
    ASSERT_TRUE(key_frame(run, "\033[C"));
    EXPECT_EQ(row_text(run, 5), " " + ruler.substr(0, 78));
    EXPECT_EQ(run.scrolled_lines, 0);
}

// Back and forward, and a smaller window, keep the row within a long line at the top.
TEST(WrapScreen, BackForwardAndResizeKeepTheRowAtTheTop) {
    auto server = start_gopher_server();
    serve(*server, "", Script{menu_line('0', "Wide", "/doc", "127.0.0.1", server->port)});
    std::string text = wide_text();
    for (int n = 1; n <= 40; ++n) {
        text += line_label(n) + "\r\n"; // room to scroll
    }
    serve(*server, "/doc", Script{text});
    auto run = start_program({address_of(*server)}, options_for(window_sizes[0]));
    ASSERT_TRUE(wait_for_row(*run, 4, at_column(2, "->Wide"))) << screen_text(*run);
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_row(*run, 4, " Wide lines")) << screen_text(*run);
    // The title, the three rows of words, then row 1 of the letters and digits at the top.
    const std::string solid = solid_line();
    send_keys(*run, "\033[B\033[B\033[B\033[B\033[B");
    ASSERT_TRUE(wait_for_row(*run, 4, " " + solid.substr(78, 78))) << screen_text(*run);
    const std::string screen = screen_text(*run);
    send_keys(*run, "b");
    ASSERT_TRUE(wait_for_row(*run, 4, at_column(2, "->Wide"))) << screen_text(*run);
    send_keys(*run, "f");
    EXPECT_TRUE(wait_until(*run, [&] { return screen_text(*run) == screen; })) << screen_text(*run);

    // The first character on screen stays on the top row when the rows are laid out again: at
    // 40 columns the row from byte 40 holds byte 78.
    const std::size_t mark = run->output.size();
    resize(*run, 12, 40);
    ASSERT_TRUE(wait_for_frame(*run, mark, [&] {
        return row_text(*run, 4) == solid.substr(40, 40);
    })) << screen_text(*run);
    EXPECT_EQ(request_count(*server), 2u);
}
