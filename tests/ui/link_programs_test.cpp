// Links handed on: BROWSER's argument lists, telnet's, the questions, and the refusals.
#include "ui/link_programs.hpp"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace std::string_view_literals;

namespace {

constexpr std::string_view url = "https://example.org/a?b=c&d";

TEST(LinkPrograms, BrowserCommandsAreArgumentLists) {
    const std::string u(url);
    const struct {
        std::string_view browser;
        std::vector<Command> commands;
    } cases[] = {
        {"firefox", {{"firefox", u}}},
        {"  lynx  -accept_all_cookies ", {{"lynx", "-accept_all_cookies", u}}},
        {"w3m:lynx", {{"w3m", u}, {"lynx", u}}},
        {"open %s --new", {{"open", u, "--new"}}},
        {"x --url=%s", {{"x", "--url=" + u}}},
        {"x %s %s", {{"x", u, u}}},
        {"x 100%% %d", {{"x", "100%", "%d", u}}},
        {"::w3m::", {{"w3m", u}}},
        {"\tw3m\t-o\tx", {{"w3m", "-o", "x", u}}},
        {"sh -c 'a;b'", {{"sh", "-c", "'a;b'", u}}}, // quotes are characters: no shell
        {"", {}},
        {" : ", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(browser_commands(c.browser, url), c.commands) << c.browser;
    }
}

TEST(LinkPrograms, TelnetLeavesOutItsOwnPort) {
    EXPECT_EQ(telnet_command("telnet", "bbs.example.org", 23),
              (Command{"telnet", "bbs.example.org"}));
    EXPECT_EQ(telnet_command("tn3270", "host", 2323), (Command{"tn3270", "host", "2323"}));
    EXPECT_EQ(telnet_command("telnet", "::1", 2323), (Command{"telnet", "::1", "2323"}));
}

TEST(LinkPrograms, Questions) {
    EXPECT_EQ(browser_question(url, {"w3m", std::string(url)}),
              "Open https://example.org/a?b=c&d with w3m? (y/n)");
    EXPECT_EQ(telnet_question("telnet", "bbs.example.org", 23, ""),
              "Open telnet://bbs.example.org:23 with telnet? (y/n)");
    EXPECT_EQ(telnet_question("tn3270", "::1", 2323, "guest"),
              "Log in as: guest. Open tn3270://[::1]:2323 with tn3270? (y/n)");
    EXPECT_EQ(program_failed_message("w3m", 3), "Error: w3m failed (status 3).");
    EXPECT_EQ(program_failed_message("firefox", 127), "Error: firefox failed (status 127).");
}

TEST(LinkPrograms, UnsafeLinksAreNeverHandedOn) {
    for (const std::string_view good :
         {"https://example.org/x", "example.org", "h\xc3\xa9.org", "a-b", "[::1]"}) {
        EXPECT_TRUE(safe_to_hand_on(good)) << good;
    }
    for (const std::string_view bad : {"-oProxyCommand=x"sv, "--help"sv, "http://a b"sv, "a\tb"sv,
                                       "a\nb"sv, "a\x1b[2Jb"sv, "a\x7f"sv, "a\0b"sv, ""sv}) {
        EXPECT_FALSE(safe_to_hand_on(bad)) << testing::PrintToString(std::string(bad));
    }
}

} // namespace
