// The menu view seen through a terminal: rows, colours, the marker, scrolling and its keys.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/e2e_pages.hpp"
#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"

using namespace e2e;

namespace {

// The worked example served as the root menu, its search on a second server.
struct WorkedExample {
    std::unique_ptr<GopherServer> server = start_gopher_server();
    std::unique_ptr<GopherServer> search_server = start_gopher_server();
    std::unique_ptr<PtyRun> run;

    explicit WorkedExample(const WindowSize& size) {
        serve(*server, "", Script{worked_example_menu(server->port, search_server->port)});
        run = start_program({address_of(*server)}, options_for(size));
    }
};

void expect_row(const PtyRun& run, int row, int col, std::string_view text, Look look) {
    EXPECT_EQ(row_text(run, row), at_column(col, text)) << "row=" << row;
    for (int i = 0; i < static_cast<int>(text.size()); ++i) {
        EXPECT_EQ(look_at(run, row, col + i), look) << "row=" << row << " col=" << col + i;
    }
    EXPECT_EQ(look_at(run, row, col + static_cast<int>(text.size())), plain_look) << "row=" << row;
}

void expect_header(const PtyRun& run, const WindowSize& size, const std::string& url) {
    const int url_col = (size.cols - static_cast<int>(url.size())) / 2;
    EXPECT_EQ(row_text(run, 1), at_column(url_col, url));
    for (int col = 1; col <= size.cols; ++col) {
        const bool in_band = col >= size.bar_col && col < size.bar_col + 78;
        EXPECT_EQ(look_at(run, 1, col), in_band ? band_look : plain_look) << "col=" << col;
    }
}

// The row that carries the marker, or 0.
int marker_row(const PtyRun& run, int content_col) {
    for (int row = 4; row <= screen_rows(run); ++row) {
        if (row_text(run, row).compare(0, content_col + 1, at_column(content_col, "->")) == 0) {
            return row;
        }
    }
    return 0;
}

// Sends a key and waits for the frame that puts the marker on row (and draws the last row).
::testing::AssertionResult key_moves_marker(PtyRun& run, std::string_view keys, int row,
                                            int content_col, int last_row) {
    const std::size_t mark = run.output.size();
    send_keys(run, keys);
    if (wait_for_frame(run, mark, [&] {
            return marker_row(run, content_col) == row && !row_text(run, last_row).empty();
        })) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "marker on row " << marker_row(run, content_col) << ", wanted " << row << "\n"
           << screen_text(run);
}

} // namespace

TEST(MenuViewScreen, WorkedExampleIsDrawnWithMarkerAndTypeColours) {
    for (const WindowSize& size : window_sizes) {
        SCOPED_TRACE(::testing::Message() << "case=" << size);
        WorkedExample example(size);
        PtyRun& run = *example.run;
        ASSERT_TRUE(wait_for_row(run, last_example_row, at_column(size.content_col, "  Tarball")))
            << screen_text(run) << run.errors;

        expect_header(run, size, url_of(*example.server));
        EXPECT_EQ(row_text(run, 2), "");
        EXPECT_EQ(row_text(run, 3), "");
        int row = 4;
        for (const MenuRow& expected : worked_example_rows) {
            expect_row(run, row++, size.content_col, expected.text, expected.look);
        }
        for (; row <= size.rows; ++row) {
            EXPECT_EQ(row_text(run, row), "") << "row=" << row;
        }
        EXPECT_FALSE(cursor(run).visible);
        EXPECT_EQ(requests(*example.server), std::vector<std::string>{"\r\n"});
    }
}

TEST(MenuViewScreen, ArrowsMoveTheMarkerOverLinksOnlyAndWrap) {
    struct Step {
        const char* keys;
        int row;
    };
    // Down skips the information and placeholder lines; both ends wrap; ESC O is the
    // application-mode form of the same keys.
    const Step steps[] = {
        {"\033[B", read_me_row},   {"\033[B", search_row}, {"\033[B", help_row},
        {"\033[B", documents_row}, {"\033[A", help_row},   {"\033OA", search_row},
        {"\033OB", help_row},      {"\033[C", help_row},
    };
    for (const WindowSize& size : window_sizes) {
        SCOPED_TRACE(::testing::Message() << "case=" << size);
        WorkedExample example(size);
        PtyRun& run = *example.run;
        ASSERT_TRUE(wait_for_row(run, last_example_row, at_column(size.content_col, "  Tarball")))
            << screen_text(run) << run.errors;
        int previous = documents_row;
        for (const Step& step : steps) {
            SCOPED_TRACE(::testing::Message() << "step to row " << step.row);
            ASSERT_TRUE(
                key_moves_marker(run, step.keys, step.row, size.content_col, last_example_row));
            EXPECT_EQ(look_at(run, step.row, size.content_col), selection_look);
            EXPECT_EQ(look_at(run, step.row, size.content_col + 2), selection_look);
            if (previous != step.row) {
                // The row left behind is back in its type's colour.
                const MenuRow& left = worked_example_rows[previous - 4];
                EXPECT_EQ(row_text(run, previous),
                          at_column(size.content_col, "  " + std::string(left.text.substr(2))));
                const Look documents_look{colour::green, colour::none, true};
                EXPECT_EQ(look_at(run, previous, size.content_col + 2),
                          previous == documents_row ? documents_look : left.look);
            }
            previous = step.row;
        }
        EXPECT_EQ(request_count(*example.server), 1u);
    }
}

TEST(MenuViewScreen, LongMenuScrollsWithTheSelection) {
    struct Step {
        const char* keys;
        int first_item; // item on row 4; 0 for the information line above the links
        int selected_item;
        int marker_row;
    };
    struct Case {
        WindowSize size;
        std::vector<Step> steps;
    };
    // 50 links under one information line; 20 content rows at 24x80, 26 at 30x100.
    const Case cases[] = {
        {window_sizes[0],
         {
             {"\033[A", 31, 50, 23}, // wraps to the last link, which becomes the last row
             {"\033[B", 0, 1, 5},    // wraps to the first, with the top of the menu
             {"\033[6", 2, 21, 23},  // a page down: 20 links on
             {"\033[6", 22, 41, 23},
             {"\033[6", 31, 50, 23}, // stops on the last link
             {"\033[5", 30, 30, 4},  // a page up
             {"\033[5", 10, 10, 4},
             {"\033[5", 1, 1, 4}, // stops on the first link
         }},
        {window_sizes[1],
         {
             {"\033[A", 25, 50, 29},
             {"\033[B", 0, 1, 5},
             {"\033[6", 2, 27, 29},
             {"\033[6", 25, 50, 29},
             {"\033[5", 24, 24, 4},
             {"\033[5", 1, 1, 4},
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case=" << c.size);
        auto server = start_gopher_server();
        serve(*server, "", Script{long_menu(*server, 50)});
        auto run = start_program({address_of(*server)}, options_for(c.size));
        const int last_row = c.size.rows - 1;
        ASSERT_TRUE(wait_for_row(*run, last_row,
                                 at_column(c.size.content_col, "  " + item_label(last_row - 4))))
            << screen_text(*run) << run->errors;
        EXPECT_EQ(row_text(*run, 4), at_column(c.size.content_col, "  Top of the list"));
        EXPECT_EQ(row_text(*run, c.size.rows), "");

        for (const Step& step : c.steps) {
            SCOPED_TRACE(::testing::Message() << "step to item " << step.selected_item);
            ASSERT_TRUE(
                key_moves_marker(*run, step.keys, step.marker_row, c.size.content_col, last_row));
            EXPECT_EQ(row_text(*run, step.marker_row),
                      at_column(c.size.content_col, "->" + item_label(step.selected_item)));
            // Every content row holds the next item, the bottom row nothing.
            for (int row = 4; row <= last_row; ++row) {
                const int item = step.first_item + row - 4;
                EXPECT_EQ(
                    row_text(*run, row).substr(static_cast<std::size_t>(c.size.content_col) + 1),
                    item == 0 ? "Top of the list" : item_label(item))
                    << "row=" << row;
            }
            EXPECT_EQ(row_text(*run, c.size.rows), "");
        }
        EXPECT_EQ(request_count(*server), 1u);
    }
}

TEST(MenuViewScreen, PageStepCountsLinksNotRows) {
    // Two information lines after every link: one page of 20 links is 60 rows.
    auto server = start_gopher_server();
    std::string menu;
    for (int n = 1; n <= 50; ++n) {
        menu +=
            menu_line('0', item_label(n), "/item" + std::to_string(n), "127.0.0.1", server->port);
        menu += "inote " + std::to_string(n) + "a\r\n" + "inote " + std::to_string(n) + "b\r\n";
    }
    serve(*server, "", Script{menu});
    auto run = start_program({address_of(*server)});
    ASSERT_TRUE(wait_for_row(*run, 23, at_column(2, "  note 7a"))) << screen_text(*run);

    // Link 21 is item 60 of the array; it becomes the last row, item 41 the first.
    std::size_t mark = run->output.size();
    send_keys(*run, "\033[6");
    ASSERT_TRUE(wait_for_frame(*run, mark, [&] {
        return row_text(*run, 23) == at_column(2, "->" + item_label(21));
    })) << screen_text(*run);
    EXPECT_EQ(row_text(*run, 4), at_column(2, "  note 14b"));

    // As terminals send them: each page key whole, the marker on screen, and Enter opens the
    // item marked there.
    mark = run->output.size();
    send_keys(*run, "\033[6~");
    ASSERT_TRUE(wait_for_frame(*run, mark, [&] {
        return row_text(*run, 4) == at_column(2, "  note 34b") &&
               row_text(*run, 23) == at_column(2, "->" + item_label(41));
    })) << screen_text(*run);
    ASSERT_TRUE(key_moves_marker(*run, "\033[5~", 4, 2, 23));
    EXPECT_EQ(row_text(*run, 4), at_column(2, "->" + item_label(21)));
    serve(*server, "/item21", Script{"The twenty-first\r\n"});
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_row(*run, 4, at_column(2, "The twenty-first"))) << screen_text(*run);
    EXPECT_EQ(requests(*server), (std::vector<std::string>{"\r\n", "/item21\r\n"}));
}

TEST(MenuViewScreen, KeyThatIsNoCommandKeepsTheSelection) {
    // Upper case, a lone ESC, Delete, a modified arrow, Alt with a key and a control byte are no
    // commands; the view still redraws, with the marker where it was.
    for (const char* key : {"x", "Q", "\033", "\033[3~", "\033[1;5A", "\033x", "\x03"}) {
        SCOPED_TRACE(::testing::Message() << "case=" << ::testing::PrintToString(key));
        WorkedExample example(window_sizes[0]);
        PtyRun& run = *example.run;
        ASSERT_TRUE(wait_for_row(run, last_example_row, at_column(2, "  Tarball")))
            << screen_text(run);
        ASSERT_TRUE(key_moves_marker(run, "\033[B", read_me_row, 2, last_example_row));
        ASSERT_TRUE(key_moves_marker(run, "\033[B", search_row, 2, last_example_row));
        ASSERT_TRUE(key_moves_marker(run, key, search_row, 2, last_example_row));
        EXPECT_FALSE(run.reaped) << describe_end(run);
        EXPECT_EQ(request_count(*example.server), 1u);
    }
}

// The selection and the scroll survive a cancelled prompt and the about screen.
TEST(MenuViewScreen, PromptAndAboutKeepTheSelectionAndScroll) {
    auto server = start_gopher_server();
    serve(*server, "", Script{long_menu(*server, 50)});
    auto run = start_program({address_of(*server)});
    ASSERT_TRUE(wait_for_row(*run, 23, at_column(2, "  " + item_label(19)))) << screen_text(*run);
    ASSERT_TRUE(key_moves_marker(*run, "\033[6~", 23, 2, 23));
    ASSERT_TRUE(key_moves_marker(*run, "\033[A", 22, 2, 23));
    const std::string scrolled = screen_text(*run);
    struct Step {
        const char* opening;
        const char* shown; // text on the screen once it is open
        const char* closing;
    };
    for (const Step& step : {Step{"o", "Open URL:", "\033"}, Step{"a", "Shortcuts:", "x"}}) {
        SCOPED_TRACE(::testing::Message() << "case=" << step.opening);
        send_keys(*run, step.opening);
        ASSERT_TRUE(wait_for_text(*run, step.shown)) << screen_text(*run);
        const std::size_t mark = run->output.size();
        send_keys(*run, step.closing);
        ASSERT_TRUE(wait_for_frame(*run, mark, [&] { return screen_text(*run) == scrolled; }))
            << screen_text(*run);
    }
    EXPECT_EQ(request_count(*server), 1u);
}

// Back and forward show each page where the user left it: the menu's selection and scroll, the
// text's line. Keys typed in one burst are each taken, in order.
TEST(MenuViewScreen, BackAndForwardReturnToWhereTheUserWas) {
    auto server = start_gopher_server();
    serve(*server, "", Script{long_menu(*server, 50)});
    serve(*server, "/item40", Script{numbered_lines(60)});
    auto run = start_program({address_of(*server)});
    ASSERT_TRUE(wait_for_row(*run, 23, at_column(2, "  " + item_label(19)))) << screen_text(*run);
    ASSERT_TRUE(key_moves_marker(*run, "\033[6~", 23, 2, 23));
    ASSERT_TRUE(key_moves_marker(*run, "\033[6~", 23, 2, 23));
    ASSERT_TRUE(key_moves_marker(*run, "\033[A", 22, 2, 23));
    const std::string menu_screen = screen_text(*run);
    ASSERT_NE(menu_screen.find("->" + item_label(40)), std::string::npos) << menu_screen;

    const auto key_shows = [&](const char* keys, const std::function<bool()>& done) {
        const std::size_t mark = run->output.size();
        send_keys(*run, keys);
        return wait_for_frame(*run, mark, done);
    };
    const auto text_from = [&](int line) {
        return row_text(*run, 4) == at_column(2, line_label(line));
    };
    ASSERT_TRUE(key_shows("\r", [&] { return text_from(1); })) << screen_text(*run);
    ASSERT_TRUE(key_shows("\033[B\033[B\033[B", [&] { return text_from(4); }));
    ASSERT_TRUE(key_shows("b", [&] { return screen_text(*run) == menu_screen; }))
        << screen_text(*run);
    ASSERT_TRUE(key_shows("f", [&] { return text_from(4); })) << screen_text(*run);
    ASSERT_TRUE(key_shows("\b", [&] { return screen_text(*run) == menu_screen; }))
        << screen_text(*run);
    ASSERT_TRUE(key_shows("f", [&] { return text_from(4); })) << screen_text(*run);
    EXPECT_EQ(request_count(*server), 2u);

    // Back and quit in one burst: the menu is drawn, then the run ends.
    const std::size_t mark = run->output.size();
    send_keys(*run, "bq");
    ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
    EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run);
    EXPECT_NE(run->output.find("->" + item_label(40), mark), std::string::npos);
}

// Rows that no link brings on screen are read with Down: a menu of prose alone, and a footer
// after the last link, then Down wraps to the first link at the top.
TEST(MenuViewScreen, DownReadsProseAndFootersToTheEnd) {
    const auto prose = [](int from, int to) {
        std::string lines;
        for (int n = from; n <= to; ++n) {
            lines += menu_line('i', line_label(n), "", "null.host", 1);
        }
        return lines;
    };
    struct Case {
        const char* name;
        int links; // before the prose lines 1 to 40
    };
    for (const Case c : {Case{"prose", 0}, Case{"footer", 3}}) {
        SCOPED_TRACE(::testing::Message() << "case=" << c.name);
        auto server = start_gopher_server();
        std::string menu;
        for (int n = 1; n <= c.links; ++n) {
            menu += menu_line('0', item_label(n), "/item" + std::to_string(n), "127.0.0.1",
                              server->port);
        }
        serve(*server, "", Script{menu + prose(1, 40) + ".\r\n"});
        auto run = start_program({address_of(*server)});
        const int rows_in_menu = c.links + 40;
        ASSERT_TRUE(wait_for_row(
            *run, 23,
            at_column(2, "  " + (c.links >= 20 ? item_label(20) : line_label(20 - c.links)))))
            << screen_text(*run);
        // Over the links, then one row at a time to the end of the menu.
        for (int press = 1; press < c.links; ++press) {
            ASSERT_TRUE(key_moves_marker(*run, "\033[B", 4 + press, 2, 23));
        }
        for (int top = 1; top <= rows_in_menu - 20; ++top) {
            const std::size_t mark = run->output.size();
            send_keys(*run, "\033[B");
            const std::string last = at_column(2, "  " + line_label(top + 20 - c.links));
            ASSERT_TRUE(wait_for_frame(*run, mark, [&] { return row_text(*run, 23) == last; }))
                << "top=" << top << "\n"
                << screen_text(*run);
            // The last link keeps the marker while it is on screen.
            EXPECT_EQ(marker_row(*run, 2), top < c.links ? 4 + c.links - 1 - top : 0)
                << "top=" << top;
        }
        const std::size_t mark = run->output.size();
        send_keys(*run, "\033[B");
        if (c.links > 0) {
            ASSERT_TRUE(wait_for_frame(*run, mark, [&] {
                return row_text(*run, 4) == at_column(2, "->" + item_label(1));
            })) << screen_text(*run);
        } else {
            // Without links the menu scrolls like a text: it stays at the end.
            ASSERT_TRUE(wait_for_frame(*run, mark, [&] {
                return row_text(*run, 23) == at_column(2, "  " + line_label(40));
            })) << screen_text(*run);
        }
        EXPECT_EQ(request_count(*server), 1u);
    }
}

TEST(MenuViewScreen, EnterBackForwardAndReloadWalkThePages) {
    auto server = start_gopher_server();
    const std::string root_menu = menu_line('1', "Documents", "/docs", "127.0.0.1", server->port) +
                                  menu_line('0', "Notes", "/notes", "127.0.0.1", server->port);
    serve(*server, "", Script{root_menu});
    serve(*server, "/docs",
          Script{menu_line('i', "Inside the documents", "", "null.host", 1) +
                 menu_line('0', "Deep", "/deep", "127.0.0.1", server->port)});
    auto run = start_program({address_of(*server)});
    ASSERT_TRUE(wait_for_row(*run, 5, at_column(2, "  Notes"))) << screen_text(*run);

    struct Step {
        const char* keys;
        std::string changed_script; // new content for "/docs" before the key, if any
        std::string url;            // of the page shown after the key
        int row;                    // a row of that page
        std::string text;
        std::vector<std::string> requests; // every request so far
    };
    const std::string docs_url = url_of(*server, "/1/docs");
    const std::vector<std::string> two{"\r\n", "/docs\r\n"};
    const std::vector<std::string> three{"\r\n", "/docs\r\n", "/docs\r\n"};
    const std::vector<std::string> four{"\r\n", "/docs\r\n", "/docs\r\n", "/docs\r\n"};
    const Step steps[] = {
        {"\r", "", docs_url, 4, "  Inside the documents", two},
        {"b", "", url_of(*server), 4, "->Documents", two}, // no new request
        {"f", "", docs_url, 4, "  Inside the documents", two},
        {"r", menu_line('i', "Reloaded documents", "", "null.host", 1), docs_url, 4,
         "  Reloaded documents", three},
        {"\x7f", "", url_of(*server), 4, "->Documents", three},
        // Opening a link always asks again, even for a page still in the history.
        {"\n", "", docs_url, 4, "  Reloaded documents", four},
        {"\b", "", url_of(*server), 4, "->Documents", four}, // BS is back too
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(::testing::Message() << "case=" << static_cast<int>(step.keys[0]));
        if (!step.changed_script.empty()) {
            serve(*server, "/docs", Script{step.changed_script});
        }
        const std::size_t mark = run->output.size();
        send_keys(*run, step.keys);
        ASSERT_TRUE(wait_for_frame(*run, mark, [&] {
            return row_text(*run, step.row) == at_column(2, step.text);
        })) << screen_text(*run);
        EXPECT_EQ(row_text(*run, 1),
                  at_column((80 - static_cast<int>(step.url.size())) / 2, step.url));
        EXPECT_EQ(requests(*server), step.requests);
    }
}

TEST(MenuViewScreen, ItemOnAPortOutOfRangeIsShownButNotSelectable) {
    auto server = start_gopher_server();
    const int port = server->port;
    serve(*server, "",
          Script{menu_line('0', "Before", "/before", "127.0.0.1", port) +
                 menu_line('1', "Far away", "/far", "127.0.0.1", 70000) +
                 menu_line('0', "After", "/after", "127.0.0.1", port) + ".\r\n"});
    serve(*server, "/after", Script{"After the far one\r\n"});
    auto run = start_program({address_of(*server)});
    ASSERT_TRUE(wait_for_row(*run, 6, at_column(2, "  After"))) << screen_text(*run);
    expect_row(*run, 5, 2, "  Far away", {colour::green, colour::none, true});

    // The marker steps over it both ways.
    ASSERT_TRUE(key_moves_marker(*run, "\033[B", 6, 2, 6));
    ASSERT_TRUE(key_moves_marker(*run, "\033[B", 4, 2, 6));
    ASSERT_TRUE(key_moves_marker(*run, "\033[A", 6, 2, 6));
    EXPECT_EQ(row_text(*run, 5), at_column(2, "  Far away"));
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_row(*run, 4, at_column(2, "After the far one"))) << screen_text(*run);
    EXPECT_EQ(requests(*server), (std::vector<std::string>{"\r\n", "/after\r\n"}));
}

TEST(MenuViewScreen, QuitEndsWithStatusZeroAndGivesTheTerminalBack) {
    WorkedExample example(window_sizes[1]);
    PtyRun& run = *example.run;
    ASSERT_TRUE(wait_for_row(run, last_example_row, at_column(12, "  Tarball")))
        << screen_text(run);
    ASSERT_TRUE(key_moves_marker(run, "\033[B", read_me_row, 12, last_example_row));
    send_keys(run, "q");
    ASSERT_TRUE(wait_for_exit(run)) << describe_end(run);
    EXPECT_TRUE(exited_with(run, 0)) << describe_end(run);
    EXPECT_EQ(describe_mode_change(run.initial_termios, terminal_mode(run)), "");
    EXPECT_EQ(screen_text(run), std::string(30, '\n'));
    EXPECT_TRUE(cursor(run).visible);
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(request_count(*example.server), 1u);
}

TEST(MenuViewScreen, ResizeRedrawsAtTheNewSize) {
    auto server = start_gopher_server();
    serve(*server, "", Script{long_menu(*server, 50)});
    auto run = start_program({address_of(*server)}, options_for(window_sizes[0]));
    ASSERT_TRUE(wait_for_row(*run, 23, at_column(2, "  Item 19"))) << screen_text(*run);

    // Grown, shrunk again: each time the band, the rows and the bottom row follow the window.
    for (const WindowSize& size : {window_sizes[1], window_sizes[0]}) {
        SCOPED_TRACE(::testing::Message() << "case=" << size);
        const std::size_t mark = run->output.size();
        resize(*run, size.rows, size.cols);
        const int last_row = size.rows - 1;
        ASSERT_TRUE(wait_for_frame(*run, mark, [&] {
            return row_text(*run, last_row) ==
                   at_column(size.content_col, "  " + item_label(last_row - 4));
        })) << screen_text(*run);
        expect_header(*run, size, url_of(*server));
        EXPECT_EQ(row_text(*run, 4), at_column(size.content_col, "  Top of the list"));
        EXPECT_EQ(row_text(*run, 5), at_column(size.content_col, "->" + item_label(1)));
        EXPECT_EQ(row_text(*run, size.rows), "");
    }
    EXPECT_EQ(request_count(*server), 1u);
}
