// Links that are no Gopher document, and where a link goes, seen through a terminal: telnet
// sessions and web links show their URL and fetch nothing, a gopher:// web link opens here, and
// the URL `u` shows opens the same item when given back to the program.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"

using namespace e2e;

namespace {

const WindowSize& size = window_sizes[0];
const int bottom = size.rows;

std::string item(const GopherServer& server, char type, std::string_view display,
                 std::string_view selector) {
    return menu_line(type, display, selector, "127.0.0.1", server.port);
}

std::unique_ptr<PtyRun> start_on(GopherServer& server, const std::string& menu,
                                 std::string_view marked) {
    serve(server, "", Script{menu + ".\r\n"});
    auto run = start_program({address_of(server)}, options_for(size));
    EXPECT_TRUE(wait_until(*run, [&] { return screen_contains(*run, marked); }))
        << screen_text(*run) << run->errors;
    return run;
}

std::string last_request(const GopherServer& server) {
    const std::vector<std::string> all = requests(server);
    return all.empty() ? "" : all.back();
}

} // namespace

TEST(LinkScreen, TelnetAndWebLinksFetchNothingAndShowTheirURL) {
    auto server = start_gopher_server();
    const std::string port = std::to_string(server->port);
    const std::string long_url = "https://example.org/" + std::string(120, 'p') + "/end.html";
    const struct {
        char type;
        const char* display;
        std::string selector;
        std::string shown; // the bottom row
    } cases[] = {
        {'8', "Session", "", "telnet://127.0.0.1:" + port},
        {'T', "Mainframe", "", "tn3270://127.0.0.1:" + port},
        {'h', "Web page", "URL:https://example.org/a?b=c d", "https://example.org/a?b=c d"},
        // Too long for the row: its end is kept.
        {'h', "Long link", "URL:" + long_url, long_url.substr(long_url.size() - 79)},
    };
    std::string menu;
    for (const auto& c : cases) {
        menu += item(*server, c.type, c.display, c.selector);
    }
    auto run = start_on(*server, menu, "->Session");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.display);
        send_keys(*run, "\r");
        ASSERT_TRUE(wait_for_row(*run, bottom, c.shown)) << screen_text(*run);
        EXPECT_EQ(look_at(*run, bottom, 1), plain_look);
        EXPECT_TRUE(screen_contains(*run, std::string("->") + c.display)) << "the menu stays";
        send_keys(*run, "\033[B");
        ASSERT_TRUE(wait_for_row(*run, bottom, "")) << "the URL goes at the next key";
    }
    EXPECT_EQ(requests(*server), std::vector<std::string>{"\r\n"}) << "nothing was fetched";
}

TEST(LinkScreen, AGopherWebLinkOpensHere) {
    auto server = start_gopher_server();
    serve(*server, "/notes", Script{"Notes by a web link\r\n"});
    auto run = start_on(*server,
                        item(*server, 'h', "Gopher link",
                             "URL:gopher://127.0.0.1:" + std::to_string(server->port) + "/0/notes"),
                        "->Gopher link");
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_text(*run, "Notes by a web link")) << screen_text(*run);
    EXPECT_TRUE(screen_contains(*run, url_of(*server, "/0/notes"))) << screen_text(*run);
    EXPECT_EQ(requests(*server), (std::vector<std::string>{"\r\n", "/notes\r\n"}));
}

// Each URL, typed back into the 'o' prompt or given on the command line, asks for the same
// selector.
TEST(LinkScreen, TheUrlShownOpensTheSameItem) {
    auto server = start_gopher_server();
    const std::string base = url_of(*server, "/");
    serve_default(*server, Script{"Some document\r\n"});
    const struct {
        char type;
        const char* display;
        std::string selector;
        std::string url;
    } cases[] = {
        {'0', "Blanks", "/my docs/read me.txt", base + "0/my%20docs/read%20me.txt"},
        {'0', "Percent", "/100%/a%20b", base + "0/100%25/a%2520b"},
        {'0', "Accent", "/caf\xc3\xa9", base + "0/caf%C3%A9"},
        {'1', "Query marks", "/what?#", base + "1/what%3F%23"},
    };
    std::string menu;
    for (const auto& c : cases) {
        menu += item(*server, c.type, c.display, c.selector);
    }
    menu += item(*server, '7', "Search", "/find");
    menu += item(*server, 'h', "Web", "URL:https://example.org/");
    auto run = start_on(*server, menu, "->Blanks");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.display);
        ASSERT_TRUE(wait_until(*run, [&] {
            return screen_contains(*run, std::string("->") + c.display);
        })) << screen_text(*run);
        send_keys(*run, "u");
        ASSERT_TRUE(wait_for_row(*run, bottom, c.url)) << screen_text(*run);
        const std::size_t before = request_count(*server);
        send_keys(*run, "o");
        ASSERT_TRUE(wait_for_text(*run, "Open URL:")) << screen_text(*run);
        send_keys(*run, c.url + "\r");
        // The screen is read while waiting: a frame a key would fill the terminal's buffer.
        ASSERT_TRUE(wait_for_text(*run, "Some document")) << screen_text(*run);
        ASSERT_EQ(request_count(*server), before + 1);
        EXPECT_EQ(last_request(*server), c.selector + "\r\n");
        // The page opened says where it is the same way.
        send_keys(*run, "u");
        ASSERT_TRUE(wait_for_row(*run, bottom, c.url)) << screen_text(*run);
        send_keys(*run, "b");
        ASSERT_TRUE(wait_for_row(*run, bottom, "")) << screen_text(*run);
        send_keys(*run, "\033[B");
    }
    send_keys(*run, "\033[B");
    ASSERT_TRUE(wait_until(*run, [&] { return screen_contains(*run, "->Web"); }));
    send_keys(*run, "u");
    ASSERT_TRUE(wait_for_row(*run, bottom, "https://example.org/")) << screen_text(*run);

    // A search's query follows a TAB.
    serve(*server, "/find\ttwo words",
          Script{menu_line('i', "Found two words", "", "null.host", 1) + ".\r\n"});
    send_keys(*run, "\033[A\r");
    ASSERT_TRUE(wait_for_text(*run, "Search query:")) << screen_text(*run);
    send_keys(*run, "two words\r");
    ASSERT_TRUE(wait_for_text(*run, "Found two words")) << screen_text(*run);
    send_keys(*run, "u");
    const std::string search_url = base + "7/find%09two%20words";
    ASSERT_TRUE(wait_for_row(*run, bottom, search_url)) << screen_text(*run);
    send_keys(*run, "q");
    ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);

    const std::size_t before = request_count(*server);
    auto again = start_program({search_url}, options_for(size));
    ASSERT_TRUE(wait_for_text(*again, "Found two words")) << screen_text(*again);
    ASSERT_EQ(request_count(*server), before + 1);
    EXPECT_EQ(last_request(*server), "/find\ttwo words\r\n");
}
