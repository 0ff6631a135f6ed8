// The text view seen through a terminal: lines, a long one wrapped at 78 columns, scrolling by
// rows and its keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/e2e_pages.hpp"
#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"

using namespace e2e;

namespace {

constexpr int document_lines = 60;

// Line 3 is 100 bytes long. It breaks after its only blank, then at the room's edge: three
// rows, the second ending in the "B" and five "C"s (a row is read without its last blanks).
const std::string long_line = "Line 03" + std::string(70, '.') + "B" + std::string(22, 'C');
const std::string long_line_rows[] = {"Line", long_line.substr(5, 78), long_line.substr(83)};
constexpr int document_rows = document_lines + 2;

// "Line 01" to "Line 60", CR LF ended.
std::string document() {
    std::string text;
    for (int n = 1; n <= document_lines; ++n) {
        text += (n == 3 ? long_line : line_label(n)) + "\r\n";
    }
    return text;
}

// What a reload brings instead: "Anew 01" to "Anew 60".
std::string new_document() {
    std::string text;
    for (int n = 1; n <= document_lines; ++n) {
        text += "Anew " + line_label(n).substr(5) + "\r\n";
    }
    return text;
}

// Row n of the document, from 1.
std::string shown_row(int n) {
    if (n >= 3 && n <= 5) {
        return long_line_rows[n - 3];
    }
    return line_label(n < 3 ? n : n - 2);
}

// True when the content rows show the document from its row first on, and nothing after its
// end.
bool shows_from(const PtyRun& run, const WindowSize& size, int first) {
    for (int row = 4; row < size.rows; ++row) {
        const int n = first + row - 4;
        const std::string expected =
            n <= document_rows ? at_column(size.content_col, shown_row(n)) : "";
        if (row_text(run, row) != expected) {
            return false;
        }
    }
    return row_text(run, size.rows).empty();
}

// frames: the screens the keys draw, so that no key is sent while one is still unread.
::testing::AssertionResult key_shows_from(PtyRun& run, std::string_view keys,
                                          const WindowSize& size, int first, int frames = 1) {
    const std::size_t mark = run.output.size();
    send_keys(run, keys);
    if (wait_for_frame(
            run, mark, [&] { return shows_from(run, size, first); }, frames)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "wanted the text from row " << first << "\n"
                                         << screen_text(run);
}

struct ShownDocument {
    std::unique_ptr<GopherServer> server = start_gopher_server();
    std::unique_ptr<PtyRun> run;

    explicit ShownDocument(const WindowSize& size) {
        serve(*server, "/doc", Script{document()});
        run = start_program({address_of(*server, "/0/doc")}, options_for(size));
    }
};

} // namespace

TEST(TextViewScreen, DrawsLinesInBoldYellowWrappedAt78Columns) {
    for (const WindowSize& size : window_sizes) {
        SCOPED_TRACE(::testing::Message() << "case=" << size);
        ShownDocument shown(size);
        PtyRun& run = *shown.run;
        ASSERT_TRUE(wait_until(run, [&] { return shows_from(run, size, 1); }))
            << screen_text(run) << run.errors;

        const std::string url = url_of(*shown.server, "/0/doc");
        EXPECT_EQ(row_text(run, 1), at_column((size.cols - static_cast<int>(url.size())) / 2, url));
        EXPECT_EQ(look_at(run, 1, size.bar_col), band_look);
        EXPECT_EQ(look_at(run, 1, size.bar_col + 77), band_look);
        EXPECT_EQ(look_at(run, 1, size.bar_col + 78), plain_look);
        EXPECT_EQ(row_text(run, 2), "");
        EXPECT_EQ(row_text(run, 3), "");
        // The CR of each CR LF leaves no mark; the long line goes on over two more rows.
        EXPECT_EQ(row_text(run, 6), at_column(size.content_col, "Line"));
        EXPECT_EQ(row_text(run, 7), at_column(size.content_col, long_line_rows[1]));
        EXPECT_EQ(row_text(run, 8), at_column(size.content_col, std::string(17, 'C')));
        EXPECT_EQ(row_text(run, 9), at_column(size.content_col, "Line 04"));
        const Look yellow{colour::yellow, colour::none, true};
        for (int col = size.content_col; col < size.content_col + 78; ++col) {
            EXPECT_EQ(look_at(run, 7, col), yellow) << "col=" << col;
        }
        EXPECT_EQ(look_at(run, 4, size.content_col + 6), yellow);
        EXPECT_EQ(look_at(run, size.rows - 1, size.content_col), yellow);
        EXPECT_FALSE(cursor(run).visible);
    }
}

TEST(TextViewScreen, ScrollsByLineAndPageAndStopsAtTheEnd) {
    struct Step {
        const char* keys;
        int first; // row of the document on the first content row after the key
    };
    struct Case {
        WindowSize size;
        std::vector<Step> steps;
    };
    // 62 rows: the last page starts at row 43 with 20 rows, at row 37 with 26. No key goes
    // past the last page, so no frame shows an empty row while rows remain.
    const Case cases[] = {
        {window_sizes[0],
         {
             {"\033[B", 2},  {"\033[B", 3},   {"\033[B", 4},                 // within the long line
             {"\033[A", 3},  {"\033[A", 2},   {"\033[A", 1},  {"\033[A", 1}, // already at the top
             {"\033[5", 1},  {"\033[6", 21},  {"\033OB", 22}, {"\033OA", 21}, {"\033[6", 41},
             {"\033[6", 43},                 // a page down near the end
             {"\033[B", 43},                 // the last page stays
             {"\033[A", 42},                 // one row above the last page
             {"\033[6", 43}, {"\033[5", 23}, // from the last page
             {"\033[F", 43},                 // End and Home in each of their forms
             {"\033[H", 1},  {"\033[4~", 43}, {"\033[1~", 1}, {"\033OF", 43}, {"\033OH", 1},
         }},
        {window_sizes[1],
         {
             {"\033[B", 2},
             {"\033[A", 1},
             {"\033[6", 27},
             {"\033[6", 37},
             {"\033[B", 37},
             {"\033[A", 36},
             {"\033[5", 10},
             {"\033[F", 37},
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case=" << c.size);
        ShownDocument shown(c.size);
        PtyRun& run = *shown.run;
        ASSERT_TRUE(wait_until(run, [&] { return shows_from(run, c.size, 1); }))
            << screen_text(run) << run.errors;
        for (const Step& step : c.steps) {
            SCOPED_TRACE(::testing::Message() << "step to line " << step.first);
            ASSERT_TRUE(key_shows_from(run, step.keys, c.size, step.first));
        }
        EXPECT_EQ(request_count(*shown.server), 1u);
    }
}

TEST(TextViewScreen, PageDownAsTerminalsSendItEndsOnTheLastPage) {
    // ESC [ 6 ~ is one key, whatever pieces it arrives in; the last page down stays there.
    ShownDocument shown(window_sizes[0]);
    PtyRun& run = *shown.run;
    ASSERT_TRUE(wait_until(run, [&] { return shows_from(run, window_sizes[0], 1); }))
        << screen_text(run);
    ASSERT_TRUE(key_shows_from(run, "\033[6~", window_sizes[0], 21));
    ASSERT_TRUE(key_shows_from(run, "\033[6~", window_sizes[0], 41));
    ASSERT_TRUE(key_shows_from(run, "\033[6~", window_sizes[0], 43));
    ASSERT_TRUE(key_shows_from(run, "\033[6~", window_sizes[0], 43));
    // Several keys in one burst: each is taken whole, in order, each with its frame.
    ASSERT_TRUE(key_shows_from(run, "\033[5~\033[5~\033[B", window_sizes[0], 4, 3));
    EXPECT_EQ(request_count(*shown.server), 1u);
}

TEST(TextViewScreen, KeysOpenGoBackForwardAndReload) {
    auto server = start_gopher_server();
    serve(*server, "", Script{menu_line('0', "Document", "/doc", "127.0.0.1", server->port)});
    serve(*server, "/doc", Script{document()});
    const WindowSize& size = window_sizes[0];
    auto run = start_program({address_of(*server)}, options_for(size));
    ASSERT_TRUE(wait_for_row(*run, 4, at_column(2, "->Document"))) << screen_text(*run);

    ASSERT_TRUE(key_shows_from(*run, "\r", size, 1));
    ASSERT_TRUE(key_shows_from(*run, "\033[B", size, 2));
    ASSERT_TRUE(key_shows_from(*run, "\033[B", size, 3));
    // Keys that are no commands redraw the text where it was.
    for (const char* key : {"x", "\r", "\n", "\033", "Q"}) {
        SCOPED_TRACE(::testing::Message() << "case=" << static_cast<int>(key[0]));
        ASSERT_TRUE(key_shows_from(*run, key, size, 3));
    }
    EXPECT_EQ(requests(*server), (std::vector<std::string>{"\r\n", "/doc\r\n"}));

    std::size_t mark = run->output.size();
    send_keys(*run, "b");
    ASSERT_TRUE(wait_for_frame(*run, mark, [&] {
        return row_text(*run, 4) == at_column(2, "->Document");
    })) << screen_text(*run);
    // Forward shows the stored text again, at the row the user left it, within a line too.
    ASSERT_TRUE(key_shows_from(*run, "f", size, 3));
    ASSERT_TRUE(key_shows_from(*run, "\033[B", size, 4));
    mark = run->output.size();
    send_keys(*run, "b");
    ASSERT_TRUE(wait_for_frame(*run, mark, [&] {
        return row_text(*run, 4) == at_column(2, "->Document");
    })) << screen_text(*run);
    ASSERT_TRUE(key_shows_from(*run, "f", size, 4));
    EXPECT_EQ(request_count(*server), 2u);

    // A reload asks again and keeps the position: line 4, whose rows are counted anew.
    ASSERT_TRUE(key_shows_from(*run, "\033[B", size, 5));
    ASSERT_TRUE(key_shows_from(*run, "\033[B", size, 6));
    serve(*server, "/doc", Script{new_document()});
    mark = run->output.size();
    send_keys(*run, "r");
    ASSERT_TRUE(wait_for_frame(*run, mark, [&] {
        return row_text(*run, 4) == at_column(2, "Anew 04") &&
               row_text(*run, 23) == at_column(2, "Anew 23");
    })) << screen_text(*run);
    EXPECT_EQ(requests(*server), (std::vector<std::string>{"\r\n", "/doc\r\n", "/doc\r\n"}));

    mark = run->output.size();
    send_keys(*run, "\x7f");
    ASSERT_TRUE(wait_for_frame(*run, mark, [&] {
        return row_text(*run, 4) == at_column(2, "->Document");
    })) << screen_text(*run);

    mark = run->output.size();
    send_keys(*run, "f");
    ASSERT_TRUE(wait_for_frame(*run, mark, [&] {
        return row_text(*run, 4) == at_column(2, "Anew 04") &&
               row_text(*run, 23) == at_column(2, "Anew 23");
    })) << screen_text(*run);
    send_keys(*run, "q");
    ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
    EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run);
    EXPECT_EQ(describe_mode_change(run->initial_termios, terminal_mode(*run)), "");
    EXPECT_EQ(request_count(*server), 3u);
}

TEST(TextViewScreen, ResizeRedrawsAtTheNewSize) {
    ShownDocument shown(window_sizes[0]);
    PtyRun& run = *shown.run;
    ASSERT_TRUE(wait_until(run, [&] { return shows_from(run, window_sizes[0], 1); }))
        << screen_text(run);
    ASSERT_TRUE(key_shows_from(run, "\033[B", window_sizes[0], 2));
    ASSERT_TRUE(key_shows_from(run, "\033[B", window_sizes[0], 3));

    for (const WindowSize& size : {window_sizes[1], window_sizes[0]}) {
        SCOPED_TRACE(::testing::Message() << "case=" << size);
        const std::size_t mark = run.output.size();
        resize(run, size.rows, size.cols);
        ASSERT_TRUE(wait_for_frame(run, mark, [&] { return shows_from(run, size, 3); }))
            << screen_text(run);
        EXPECT_EQ(look_at(run, 1, size.bar_col), band_look);
        EXPECT_EQ(look_at(run, 1, size.bar_col + 78), plain_look);
    }
    EXPECT_EQ(request_count(*shown.server), 1u);
}
