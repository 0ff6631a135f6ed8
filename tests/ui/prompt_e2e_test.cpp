// The address and search prompts seen through a terminal: label, echo, erasing, cancelling,
// the error message, and the requests they lead to.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/e2e_pages.hpp"
#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"

using namespace e2e;

namespace {

constexpr std::string_view open_label = "Open URL: ";
constexpr std::string_view search_label = "Search query: ";
constexpr std::string_view invalid_message = "Error: Invalid Gopher address format. Press any key.";

// The worked example as the root menu, its search on a second server.
struct WorkedExample {
    std::unique_ptr<GopherServer> server = start_gopher_server();
    std::unique_ptr<GopherServer> search_server = start_gopher_server();
    std::unique_ptr<PtyRun> run;
    WindowSize size;

    explicit WorkedExample(const WindowSize& window) : size(window) {
        serve(*server, "", Script{worked_example_menu(server->port, search_server->port)});
        run = start_program({address_of(*server)}, options_for(size));
    }

    [[nodiscard]] bool shown() {
        return wait_for_row(*run, last_example_row, at_column(size.content_col, "  Tarball"));
    }
};

// Waits for the bottom row to show label and typed text, with the cursor just after the text.
::testing::AssertionResult prompt_shows(PtyRun& run, const WindowSize& size, std::string_view label,
                                        std::string_view typed) {
    const std::string line = std::string(label) + std::string(typed);
    const int cursor_col = size.bar_col + static_cast<int>(line.size());
    const std::string wanted = at_column(size.bar_col, line);
    auto matches = [&] {
        const CursorState at = cursor(run);
        return row_text(run, size.rows) == wanted.substr(0, wanted.find_last_not_of(' ') + 1) &&
               at.row == size.rows && at.col == cursor_col && at.visible;
    };
    if (wait_until(run, matches)) {
        return ::testing::AssertionSuccess();
    }
    const CursorState at = cursor(run);
    return ::testing::AssertionFailure()
           << "bottom row \"" << row_text(run, size.rows) << "\", cursor at " << at.row << ","
           << at.col << (at.visible ? " shown" : " hidden") << "; wanted \"" << wanted
           << "\" with the cursor at column " << cursor_col;
}

// Sends keys and waits for a screen the same as before, cursor hidden.
::testing::AssertionResult keys_restore(PtyRun& run, std::string_view keys,
                                        const std::string& before) {
    const std::size_t mark = run.output.size();
    send_keys(run, keys);
    if (wait_for_frame(run, mark,
                       [&] { return screen_text(run) == before && !cursor(run).visible; })) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "screen now:\n" << screen_text(run);
}

// The screen's text without its last row.
std::string without_bottom_row(const std::string& screen) {
    return screen.substr(0, screen.rfind('\n', screen.size() - 2) + 1);
}

void expect_label_look(const PtyRun& run, const WindowSize& size, std::string_view label) {
    const Look label_look{colour::bright_blue, colour::none, true};
    for (int i = 0; i < static_cast<int>(label.size()) - 1; ++i) {
        EXPECT_EQ(look_at(run, size.rows, size.bar_col + i), label_look) << "col=" << i;
    }
}

} // namespace

TEST(PromptScreen, OpenUrlEchoesErasesAndCancels) {
    for (const WindowSize& size : window_sizes) {
        SCOPED_TRACE(::testing::Message() << "case=" << size);
        WorkedExample example(size);
        PtyRun& run = *example.run;
        ASSERT_TRUE(example.shown()) << screen_text(run) << run.errors;
        const std::string before = screen_text(run);

        send_keys(run, "o");
        ASSERT_TRUE(prompt_shows(run, size, open_label, ""));
        expect_label_look(run, size, open_label);
        // The prompt is drawn over the view, which stays as it was.
        EXPECT_EQ(without_bottom_row(screen_text(run)), without_bottom_row(before));

        send_keys(run, "abc");
        ASSERT_TRUE(prompt_shows(run, size, open_label, "abc"));
        EXPECT_EQ(look_at(run, size.rows, size.bar_col + 10), plain_look);
        // DEL and BS each blank the last cell and leave the cursor on it.
        send_keys(run, "\x7f");
        ASSERT_TRUE(prompt_shows(run, size, open_label, "ab"));
        send_keys(run, "\b");
        ASSERT_TRUE(prompt_shows(run, size, open_label, "a"));
        send_keys(run, "\b");
        ASSERT_TRUE(prompt_shows(run, size, open_label, ""));
        // With nothing typed, erasing does nothing: the next letter still goes to the first cell.
        send_keys(run, "\b");
        send_keys(run, "z");
        ASSERT_TRUE(prompt_shows(run, size, open_label, "z"));

        ASSERT_TRUE(keys_restore(run, "\033", before));
        EXPECT_EQ(request_count(*example.server), 1u);
    }
}

TEST(PromptScreen, InvalidAddressShowsTheRedMessageThenThePromptWithTheText) {
    for (const WindowSize& size : window_sizes) {
        SCOPED_TRACE(::testing::Message() << "case=" << size);
        WorkedExample example(size);
        PtyRun& run = *example.run;
        ASSERT_TRUE(example.shown()) << screen_text(run) << run.errors;
        const std::string before = screen_text(run);

        send_keys(run, "o");
        ASSERT_TRUE(prompt_shows(run, size, open_label, ""));
        // A single label may not begin with "-".
        send_keys(run, "-nohost");
        ASSERT_TRUE(prompt_shows(run, size, open_label, "-nohost"));
        send_keys(run, "\r");
        ASSERT_TRUE(wait_for_row(run, size.rows, at_column(size.bar_col, invalid_message)))
            << screen_text(run);
        const Look red{colour::red, colour::none, true};
        EXPECT_EQ(look_at(run, size.rows, size.bar_col), red);
        EXPECT_EQ(
            look_at(run, size.rows, size.bar_col + static_cast<int>(invalid_message.size()) - 1),
            red);
        EXPECT_FALSE(cursor(run).visible);

        // ESC only dismisses the message, the prompt holding what was typed; a second cancels.
        send_keys(run, "\033");
        ASSERT_TRUE(prompt_shows(run, size, open_label, "-nohost"));
        ASSERT_TRUE(keys_restore(run, "\033", before));
        EXPECT_EQ(request_count(*example.server), 1u);
    }
}

TEST(PromptScreen, ValidAddressIsFetchedAndShown) {
    struct Case {
        WindowSize size;
        std::string start_path; // the page the prompt is opened from
    };
    // From the menu view at one size, from the text view at the other.
    const Case cases[] = {{window_sizes[0], ""}, {window_sizes[1], "/0/doc"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case=" << c.size);
        auto server = start_gopher_server();
        auto other = start_gopher_server();
        serve(*server, "", Script{menu_line('0', "Doc", "/doc", "127.0.0.1", server->port)});
        serve(*server, "/doc", Script{"Starting text\r\n"});
        serve(*other, "/quote", Script{"A quoted line\r\n"});
        auto run = start_program({address_of(*server, c.start_path)}, options_for(c.size));
        ASSERT_TRUE(wait_until(*run, [&] {
            return screen_contains(*run, "Doc") || screen_contains(*run, "Starting text");
        })) << screen_text(*run);

        send_keys(*run, "o");
        ASSERT_TRUE(prompt_shows(*run, c.size, open_label, ""));
        // 'q' is typed like any letter here.
        const std::string typed = "gopher://" + address_of(*other, "/0/quote");
        send_keys(*run, typed);
        ASSERT_TRUE(prompt_shows(*run, c.size, open_label, typed));
        const std::size_t mark = run->output.size();
        send_keys(*run, "\r");
        ASSERT_TRUE(wait_for_frame(*run, mark, [&] {
            return row_text(*run, 4) == at_column(c.size.content_col, "A quoted line");
        })) << screen_text(*run);
        const std::string url = url_of(*other, "/0/quote");
        EXPECT_EQ(row_text(*run, 1),
                  at_column((c.size.cols - static_cast<int>(url.size())) / 2, url));
        EXPECT_EQ(row_text(*run, c.size.rows), "");
        EXPECT_FALSE(cursor(*run).visible);
        EXPECT_EQ(requests(*other), std::vector<std::string>{"/quote\r\n"});
        EXPECT_EQ(request_count(*server), 1u);
    }
}

TEST(PromptScreen, SearchSendsSelectorTabQueryAndCrLfToTheItemsServer) {
    for (const WindowSize& size : window_sizes) {
        SCOPED_TRACE(::testing::Message() << "case=" << size);
        WorkedExample example(size);
        PtyRun& run = *example.run;
        serve(*example.search_server, "/find\tquiz q",
              Script{menu_line('i', "Results for quiz q", "", "null.host", 1)});
        ASSERT_TRUE(example.shown()) << screen_text(run) << run.errors;
        send_keys(run, "\033[B");
        ASSERT_TRUE(wait_for_row(run, read_me_row, at_column(size.content_col, "->Read me")));
        send_keys(run, "\033[B");
        ASSERT_TRUE(wait_for_row(run, search_row, at_column(size.content_col, "->Search")));

        send_keys(run, "\r");
        ASSERT_TRUE(prompt_shows(run, size, search_label, ""));
        expect_label_look(run, size, search_label);
        // 'q' is an ordinary character of a query.
        send_keys(run, "quiz q");
        ASSERT_TRUE(prompt_shows(run, size, search_label, "quiz q"));
        const std::size_t mark = run.output.size();
        send_keys(run, "\r");
        ASSERT_TRUE(wait_for_frame(run, mark, [&] {
            return row_text(run, 4) == at_column(size.content_col, "  Results for quiz q");
        })) << screen_text(run);
        EXPECT_EQ(requests(*example.search_server), std::vector<std::string>{"/find\tquiz q\r\n"});
        EXPECT_EQ(request_count(*example.server), 1u);
        EXPECT_NE(row_text(run, 1).find(url_of(*example.search_server, "/7/find")),
                  std::string::npos)
            << row_text(run, 1);
        EXPECT_EQ(row_text(run, size.rows), "");
    }
}

TEST(PromptScreen, SearchTooLongIsRefusedInRedAndTheMenuComesBack) {
    auto server = start_gopher_server();
    const std::string long_selector = "/" + std::string(1000, 's');
    serve(*server, "",
          Script{menu_line('7', "Long search", long_selector, "127.0.0.1", server->port)});
    const WindowSize& size = window_sizes[0];
    auto run = start_program({address_of(*server)}, options_for(size));
    ASSERT_TRUE(wait_for_row(*run, 4, at_column(size.content_col, "->Long search")))
        << screen_text(*run);
    const std::string before = screen_text(*run);

    send_keys(*run, "\r");
    ASSERT_TRUE(prompt_shows(*run, size, search_label, ""));
    // 1001 + TAB + 22 = 1024 characters: one too many.
    const std::string query(22, 'w');
    send_keys(*run, query);
    ASSERT_TRUE(prompt_shows(*run, size, search_label, query));
    send_keys(*run, "\r");
    constexpr std::string_view too_long = "Error: Search too long.";
    ASSERT_TRUE(wait_for_row(*run, size.rows, at_column(size.bar_col, too_long)))
        << screen_text(*run);
    const Look red{colour::red, colour::none, true};
    EXPECT_EQ(look_at(*run, size.rows, size.bar_col), red);
    EXPECT_EQ(look_at(*run, size.rows, size.bar_col + static_cast<int>(too_long.size()) - 1), red);
    EXPECT_FALSE(cursor(*run).visible);
    EXPECT_EQ(without_bottom_row(screen_text(*run)), without_bottom_row(before));

    // Any key brings the menu back; nothing was sent.
    ASSERT_TRUE(keys_restore(*run, "x", before));
    EXPECT_EQ(requests(*server), std::vector<std::string>{"\r\n"});

    // One character fewer is sent whole.
    serve(*server, long_selector + "\t" + std::string(21, 'w'),
          Script{menu_line('i', "Found", "", "null.host", 1)});
    send_keys(*run, "\r");
    ASSERT_TRUE(prompt_shows(*run, size, search_label, ""));
    send_keys(*run, std::string(21, 'w') + "\r");
    // (The page's long URL fills the screen from the header on.)
    ASSERT_TRUE(wait_for_text(*run, "  Found")) << screen_text(*run);
    ASSERT_EQ(request_count(*server), 2u);
    EXPECT_EQ(requests(*server)[1], long_selector + "\t" + std::string(21, 'w') + "\r\n");
}

TEST(PromptScreen, ArrowKeyIsPassedOverInEitherPrompt) {
    struct Case {
        const char* name;
        const char* opening_keys; // after the marker is on the search item
        std::string_view label;
    };
    for (const Case c : {Case{"address", "o", open_label}, Case{"search", "\r", search_label}}) {
        SCOPED_TRACE(::testing::Message() << "case=" << c.name);
        WorkedExample example(window_sizes[0]);
        PtyRun& run = *example.run;
        ASSERT_TRUE(example.shown()) << screen_text(run) << run.errors;
        send_keys(run, "\033[B");
        ASSERT_TRUE(wait_for_row(run, read_me_row, at_column(2, "->Read me")));
        send_keys(run, "\033[B");
        ASSERT_TRUE(wait_for_row(run, search_row, at_column(2, "->Search")));
        const std::string selected = screen_text(run);

        send_keys(run, c.opening_keys);
        ASSERT_TRUE(prompt_shows(run, window_sizes[0], c.label, ""));
        send_keys(run, "ab");
        ASSERT_TRUE(prompt_shows(run, window_sizes[0], c.label, "ab"));
        // The whole sequence is taken and dropped: the typed text stays, nothing moves. A lone
        // ESC then cancels, and the selection stays where it was.
        send_keys(run, "\033[Bc");
        ASSERT_TRUE(prompt_shows(run, window_sizes[0], c.label, "abc"));
        ASSERT_TRUE(keys_restore(run, "\033", selected));
        EXPECT_EQ(request_count(*example.server), 1u);
        EXPECT_EQ(request_count(*example.search_server), 0u);
    }
}

// Any text is typed, edited by whole characters at the cursor and shown by the columns it takes:
// an accented letter, a wide CJK character, a byte that is no UTF-8 (dropped).
TEST(PromptScreen, TypesAndEditsAnyTextAtTheCursor) {
    const WindowSize& size = window_sizes[0];
    const struct {
        const char* opener;
        std::string_view label;
    } prompts[] = {{"/", "Find: "}, {"o", open_label}};
    for (const auto& p : prompts) {
        SCOPED_TRACE(std::string("case=") + p.opener);
        WorkedExample example(size);
        PtyRun& run = *example.run;
        ASSERT_TRUE(example.shown()) << screen_text(run) << run.errors;
        const int input = size.bar_col + static_cast<int>(p.label.size());
        // The row shows label and text; the cursor stands `before` columns into the text.
        const auto shows = [&](std::string_view text, int before) {
            return wait_until(run, [&] {
                const CursorState at = cursor(run);
                return row_text(run, size.rows) ==
                           at_column(size.bar_col, p.label) + std::string(text) &&
                       at.visible && at.row == size.rows && at.col == input + before;
            });
        };
        send_keys(run, p.opener);
        send_keys(run, "cr\xc3\xa8me");
        ASSERT_TRUE(shows("cr\xc3\xa8me", 5)) << row_text(run, size.rows);
        send_keys(run, "\x1b[D\x1b[D\x1b[D");
        ASSERT_TRUE(shows("cr\xc3\xa8me", 2)) << row_text(run, size.rows);
        send_keys(run, "\x7f");
        ASSERT_TRUE(shows("c\xc3\xa8me", 1)) << row_text(run, size.rows);
        send_keys(run, "\xe6\xbc\xa2\xff");
        ASSERT_TRUE(shows("c\xe6\xbc\xa2\xc3\xa8me", 3)) << row_text(run, size.rows);
        send_keys(run, "\x1b[3~");
        ASSERT_TRUE(shows("c\xe6\xbc\xa2me", 3)) << row_text(run, size.rows);
        send_keys(run, "\x05");
        ASSERT_TRUE(shows("c\xe6\xbc\xa2me", 5)) << row_text(run, size.rows);
        send_keys(run, "\x01");
        ASSERT_TRUE(shows("c\xe6\xbc\xa2me", 0)) << row_text(run, size.rows);
        send_keys(run, "\x05 w\x17");
        // The blank typed stays: the row shows no trailing blank, the cursor stands after it.
        ASSERT_TRUE(shows("c\xe6\xbc\xa2me", 6)) << row_text(run, size.rows);
        send_keys(run, "\x15");
        ASSERT_TRUE(prompt_shows(run, size, p.label, ""));
    }
}

// An invalid address gives its reason, then the prompt holding what was typed.
TEST(PromptScreen, InvalidAddressGivesItsReasonAndKeepsTheText) {
    const WindowSize& size = window_sizes[0];
    WorkedExample example(size);
    PtyRun& run = *example.run;
    ASSERT_TRUE(example.shown()) << screen_text(run) << run.errors;
    const struct {
        std::string typed;
        std::string reason;
    } cases[] = {
        {"http://example.org/", "Error: Only gopher:// and gophers:// addresses open here."},
        {"localhost:99999", "Error: The port must be 1-65535."},
        {"::1", "Error: An IPv6 address goes in brackets, as [::1]."},
        {"-nohost", "Error: Invalid Gopher address format."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("case=" + c.typed);
        send_keys(run, "o");
        ASSERT_TRUE(prompt_shows(run, size, open_label, ""));
        send_keys(run, c.typed + "\r");
        ASSERT_TRUE(
            wait_for_row(run, size.rows, at_column(size.bar_col, c.reason + " Press any key.")))
            << screen_text(run);
        send_keys(run, "x");
        ASSERT_TRUE(prompt_shows(run, size, open_label, c.typed));
        send_keys(run, "\033");
        ASSERT_TRUE(wait_for_row(run, size.rows, "")) << screen_text(run);
    }
    EXPECT_EQ(request_count(*example.server), 1u);
}

// A search address without its query asks for one first: from the command line (Esc there ends
// the run as a cancelled first page) and from the address prompt.
TEST(PromptScreen, ASearchAddressWithoutItsQueryAsksForIt) {
    const WindowSize& size = window_sizes[0];
    auto server = start_gopher_server();
    serve(*server, "/find\tkestrel", Script{menu_line('i', "Found the kestrel", "", "x", 1)});
    {
        auto run = start_program({address_of(*server) + "/7/find"}, options_for(size));
        ASSERT_TRUE(prompt_shows(*run, size, search_label, "")) << screen_text(*run);
        EXPECT_NE(row_text(*run, 1).find("gopher://" + address_of(*server) + "/7/find"),
                  std::string::npos)
            << "the header says what the query is for";
        send_keys(*run, "kestrel\r");
        ASSERT_TRUE(wait_for_text(*run, "Found the kestrel")) << screen_text(*run);
        send_keys(*run, "o");
        ASSERT_TRUE(prompt_shows(*run, size, open_label, ""));
        send_keys(*run, address_of(*server) + "/7/find\r");
        ASSERT_TRUE(prompt_shows(*run, size, search_label, "")) << screen_text(*run);
        send_keys(*run, "\033");
        ASSERT_TRUE(wait_for_row(*run, size.rows, at_column(size.bar_col, "Cancelled.")))
            << screen_text(*run);
        EXPECT_TRUE(screen_contains(*run, "Found the kestrel"));
        send_keys(*run, "q");
        ASSERT_TRUE(wait_for_exit(*run));
        EXPECT_TRUE(exited_with(*run, 0));
    }
    auto run = start_program({address_of(*server) + "/7/find"}, options_for(size));
    ASSERT_TRUE(prompt_shows(*run, size, search_label, "")) << screen_text(*run);
    send_keys(*run, "\033");
    ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
    EXPECT_TRUE(exited_with(*run, 1)) << describe_end(*run);
    EXPECT_EQ(request_count(*server), 1u);
}

// Esc and the next key in one write (tmux and ssh send them so): Esc closes the prompt, then the
// key acts in the view, in the address, find and save prompts alike.
TEST(PromptScreen, EscAndAKeyInOneWriteBothAct) {
    const WindowSize& size = window_sizes[0];
    for (const char* opener : {"o", "/", "s"}) {
        SCOPED_TRACE(std::string("case=") + opener);
        WorkedExample example(size);
        PtyRun& run = *example.run;
        ASSERT_TRUE(example.shown()) << screen_text(run) << run.errors;
        send_keys(run, opener);
        send_keys(run, "cr\xc3\xa8me");
        ASSERT_TRUE(wait_until(run, [&] {
            return row_text(run, size.rows).find("cr\xc3\xa8me") != std::string::npos;
        })) << screen_text(run);
        send_keys(run, "\033\033[B");
        ASSERT_TRUE(wait_for_row(run, read_me_row, at_column(size.content_col, "->Read me")))
            << screen_text(run);
        EXPECT_EQ(row_text(run, size.rows), "");
        send_keys(run, "\033k");
        ASSERT_TRUE(wait_for_row(run, read_me_row - 1, at_column(size.content_col, "->Documents")))
            << screen_text(run);
    }
}
