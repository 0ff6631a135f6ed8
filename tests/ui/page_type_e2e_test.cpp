// Menu or text by the page's type, seen through a terminal: the start address's type, a followed
// link's type, and a page asked for without a type.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"

using namespace e2e;

namespace {

const WindowSize& size = window_sizes[0];
constexpr Look text_look{colour::yellow, colour::none, true};

std::string menu_of(const GopherServer& server) {
    return menu_line('0', "Inside", "/in", "127.0.0.1", server.port) + ".\r\n";
}

constexpr std::string_view table = "Name\tValue\r\nalpha\t1\r\nbeta\t2\r\n";

// Row 4 (the first content row) and its first cell once the page is drawn.
struct Shown {
    std::string text;
    Look look;
};

::testing::AssertionResult first_row_shows(PtyRun& run, const Shown& wanted) {
    const std::string row = at_column(size.content_col, wanted.text);
    if (!wait_until(run, [&] { return row_text(run, 4).starts_with(row); })) {
        return ::testing::AssertionFailure()
               << "row 4 \"" << row_text(run, 4) << "\", wanted \"" << row << "\"\n"
               << screen_text(run) << run.errors;
    }
    const Look look = look_at(run, 4, size.content_col);
    if (look != wanted.look) {
        return ::testing::AssertionFailure() << "row 4 drawn as " << look;
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(PageTypeScreen, TheStartAddressTypeDecidesMenuOrText) {
    const Shown inside_menu{"->Inside", selection_look};
    const struct Case {
        const char* name;
        std::string path; // after gopher://127.0.0.1:PORT
        std::string selector;
        std::string response; // "$MENU": a one-link menu
        Shown shown;
    } cases[] = {
        // A selector starting with a letter of a text type once made a menu text.
        {"MenuSelectorStartingWithH", "/1help", "help", "$MENU", inside_menu},
        {"SearchFromTheUrl", "/7/find%09two%20words", "/find\ttwo words", "$MENU", inside_menu},
        // A document whose first line holds a TAB once lost its first letters as a menu.
        {"DocumentWithTabs", "/0/table.tsv", "/table.tsv", std::string(table), {"Name", text_look}},
        {"MenuShapedBinary", "/9/blob", "/blob", "$MENU", {"0Inside", text_look}},
        // No type: a menu, unless the server answers with a line of plain text.
        {"NoTypeMenu", "/", "", "$MENU", inside_menu},
        {"NoTypeError",
         "/",
         "",
         "Error: File or directory not found!\r\n",
         {"Error: File or directory not found!", text_look}},
        // The same rule for a menu or a search: a line of text keeps its first letter.
        {"MenuNotFound",
         "/1/missing",
         "/missing",
         "Error: File or directory not found!\r\n",
         {"Error: File or directory not found!", text_look}},
        {"SearchNotFound",
         "/7/gone%09word",
         "/gone\tword",
         "Error: File or directory not found!\r\n",
         {"Error: File or directory not found!", text_look}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto server = start_gopher_server();
        serve(*server, c.selector, Script{c.response == "$MENU" ? menu_of(*server) : c.response});
        auto run = start_program({url_of(*server, c.path)}, options_for(size));
        ASSERT_TRUE(first_row_shows(*run, c.shown));
        EXPECT_EQ(requests(*server), std::vector<std::string>{c.selector + "\r\n"});
        if (c.shown.look == text_look && c.response == table) {
            EXPECT_TRUE(row_text(*run, 4).ends_with("Value")) << row_text(*run, 4);
            EXPECT_EQ(row_text(*run, 5).substr(0, 6), at_column(size.content_col, "alpha"));
        }
        send_keys(*run, "q");
        ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
        EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run);
    }
}

TEST(PageTypeScreen, TheHeaderShowsTheDecodedSelector) {
    auto server = start_gopher_server();
    serve(*server, "/my dir", Script{menu_of(*server)});
    auto run = start_program({url_of(*server, "/1/my%20dir")}, options_for(size));
    ASSERT_TRUE(wait_for_row(*run, 4, at_column(size.content_col, "->Inside")))
        << screen_text(*run);
    const std::string url = url_of(*server, "/1/my dir");
    EXPECT_EQ(row_text(*run, 1), at_column((size.cols - static_cast<int>(url.size())) / 2, url));
    EXPECT_EQ(requests(*server), std::vector<std::string>{"/my dir\r\n"});
}

TEST(PageTypeScreen, AFollowedLinkKeepsItsItemsType) {
    auto server = start_gopher_server();
    const int port = server->port;
    serve(*server, "",
          Script{menu_line('1', "Help", "help", "127.0.0.1", port) +
                 menu_line('0', "Table", "/table.tsv", "127.0.0.1", port) + ".\r\n"});
    serve(*server, "help", Script{menu_of(*server)});
    serve(*server, "/table.tsv", Script{std::string(table)});
    auto run = start_program({url_of(*server, "/")}, options_for(size));
    ASSERT_TRUE(first_row_shows(*run, {"->Help", selection_look}));

    send_keys(*run, "\r");
    ASSERT_TRUE(first_row_shows(*run, {"->Inside", selection_look}));
    send_keys(*run, "b");
    ASSERT_TRUE(first_row_shows(*run, {"->Help", selection_look}));
    send_keys(*run, "\033[B\r");
    ASSERT_TRUE(first_row_shows(*run, {"Name", text_look}));
    EXPECT_EQ(requests(*server), (std::vector<std::string>{"\r\n", "help\r\n", "/table.tsv\r\n"}));
}
