// The search and address prompts, fed from a file in place of the keyboard.
#include "ui/prompt.hpp"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "gopher/menu.hpp"
#include "support/browser_fixture.hpp"
#include "support/stdio_swap.hpp"
#include "term/sequences.hpp"

namespace {

// The search item is the one line of the menu on screen.
struct PromptFixture : OwnedBrowser {
    MenuItem search{};
    explicit PromptFixture(const char* selector = "/find")
        : OwnedBrowser("alpha.lan", 70, "", '1') {
        window(24);
        give_content(std::string("7Search\t") + selector + "\tbeta.lan\t7070\r\n");
        const std::string_view line{content(), std::strlen(content()) - 2};
        EXPECT_EQ(parse_menu_line(line, 0, &search, "alpha.lan", 70), 1);
        EXPECT_EQ(search.selectable, 1);
    }
    // The page asked for, which the browse loop then fetches.
    const Page* asked() const { return page_to_fetch(&browser); }
    bool opened() const { return asked() != nullptr; }
    // What the prompt left unread: in the browser's queue, then on standard input.
    std::string unread(StdioSwap& stdio) const {
        const auto* queued = reinterpret_cast<const char*>(browser.keys.bytes.data());
        return std::string(queued, static_cast<std::size_t>(browser.keys.length)) + stdio.unread();
    }
};

TEST(PromptSearch, OpensTheQueryAfterATab) {
    const struct {
        std::string keys;
        const char* selector;
    } cases[] = {
        {"a quiz\r", "/find\ta quiz"}, // 'q' is typed like any letter
        {"abc\n", "/find\tabc"},
        {"ab\x7f"
         "c\r",
         "/find\tac"},
        {"ab\x08\x08\x08"
         "c\r",
         "/find\tc"}, // erasing past the start does nothing
        {"a\tb\xff\x03"
         "c\r",
         "/find\tabc"},                         // not printable ASCII: ignored
        {"ab\x1b[Dc\x1b[5~d\r", "/find\tabcd"}, // other keys are passed over whole
    };
    for (const auto& c : cases) {
        PromptFixture f;
        StdioSwap stdio(c.keys);
        prompt_search(&f.browser, &f.shown, &f.search);
        ASSERT_TRUE(f.opened()) << "case=" << testing::PrintToString(c.keys);
        EXPECT_STREQ(f.asked()->selector, c.selector) << "case=" << testing::PrintToString(c.keys);
        EXPECT_STREQ(f.asked()->host, "beta.lan");
        EXPECT_EQ(f.asked()->port, 7070);
        EXPECT_EQ(f.asked()->type, '7');
    }
}

TEST(PromptSearch, EscapeNothingTypedOrEndOfInputOpensNothing) {
    const struct {
        std::string keys;
        std::string unread;
        int running; // the end of the input ends the run
    } cases[] = {
        {"abc\x1b", "", 1},   {"\rxyz", "xyz", 1}, {"\x7f\r", "", 1},
        {"abc\x1b[A", "", 0}, {"Qx", "", 0},       {"", "", 0},
    };
    for (const auto& c : cases) {
        PromptFixture f;
        f.browser.running = 1;
        StdioSwap stdio(c.keys);
        prompt_search(&f.browser, &f.shown, &f.search);
        EXPECT_FALSE(f.opened()) << "case=" << testing::PrintToString(c.keys);
        EXPECT_EQ(f.unread(stdio), c.unread) << "case=" << testing::PrintToString(c.keys);
        EXPECT_EQ(f.browser.running, c.running) << "case=" << testing::PrintToString(c.keys);
    }
}

TEST(PromptSearch, IgnoresThe1024thCharacter) {
    PromptFixture f("");
    f.window(24, 3000); // wide enough to echo every character
    StdioSwap stdio(std::string(1030, 'x') + "\r");
    prompt_search(&f.browser, &f.shown, &f.search);
    const std::string out = stdio.output();
    EXPECT_EQ(std::count(out.begin(), out.end(), 'x'), 1023) << "echoed";
}

TEST(PromptSearch, RefusesASearchLongerThanASelector) {
    const struct {
        std::size_t selector_length;
        std::size_t query_length;
        bool sent;
    } cases[] = {
        {0, 1022, true},   {0, 1023, false}, {1000, 22, true},
        {1000, 23, false}, {1022, 1, false}, {1023, 1, false},
    };
    for (const auto& c : cases) {
        const std::string selector(c.selector_length, 's');
        PromptFixture f(selector.c_str());
        StdioSwap stdio(std::string(c.query_length, 'x') + "\rkey");
        prompt_search(&f.browser, &f.shown, &f.search);
        const std::string out = stdio.output();
        const std::string message =
            at(24, 1) + seq::bold_red + "Error: Search too long." + seq::reset;
        EXPECT_EQ(f.opened(), c.sent)
            << "selector=" << c.selector_length << " query=" << c.query_length;
        EXPECT_EQ(out.find(message) != std::string::npos, !c.sent)
            << "selector=" << c.selector_length << " query=" << c.query_length;
        // The message stays until a key: one is used up, the rest is left to the view.
        EXPECT_EQ(f.unread(stdio), c.sent ? "key" : "ey");
        if (c.sent) {
            EXPECT_EQ(std::string(f.asked()->selector),
                      selector + "\t" + std::string(c.query_length, 'x'));
        } else {
            // The row is blank again for the view that comes back.
            const std::string blank_row = at(24, 1) + std::string(80, ' ');
            EXPECT_TRUE(out.ends_with(blank_row));
        }
    }
}

TEST(PromptOpenUrl, DrawsEchoesErasesAndClearsItsRow) {
    PromptFixture f;
    StdioSwap stdio("ab\x7f\x1b");
    prompt_open_url(&f.browser, &f.shown);
    const std::string blank_row = at(24, 1) + std::string(80, ' ');
    EXPECT_EQ(stdio.output(), blank_row + at(24, 1) + seq::bold_bright_blue +
                                  "Open URL: " + seq::reset + at(24, 11) + "\033[?25h" + "a" + "b" +
                                  at(24, 13) + "\b \b" + "\033[?25l" + blank_row);
    EXPECT_FALSE(f.opened());
}

TEST(PromptOpenUrl, OpensAValidAddress) {
    const struct {
        const char* keys;
        const char* host;
        int port;
        const char* selector;
        char type;
    } cases[] = {
        {"q.lan:7070/0/notes.txt\r", "q.lan", 7070, "/notes.txt", '0'},
        {"localhost\r", "localhost", 70, "", '1'},
        {"gopher://myserver:7070/7/find%09a%20word\r", "myserver", 7070, "/find\ta word", '7'},
    };
    for (const auto& c : cases) {
        PromptFixture f;
        StdioSwap stdio(c.keys);
        prompt_open_url(&f.browser, &f.shown);
        ASSERT_TRUE(f.opened()) << c.keys;
        EXPECT_STREQ(f.asked()->host, c.host);
        EXPECT_EQ(f.asked()->port, c.port);
        EXPECT_STREQ(f.asked()->selector, c.selector);
        EXPECT_EQ(f.asked()->type, c.type);
    }
}

TEST(PromptOpenUrl, InvalidAddressIsReportedAndAskedAgain) {
    const struct {
        std::string keys;
        const char* host; // nullptr: nothing opened
    } cases[] = {
        {"-alpha\rzbeta.lan\r", "beta.lan"},      // the key only dismisses the message
        {"-alpha\r\x1b[Bbeta.lan\r", "beta.lan"}, // an arrow too, whole
        {"-alpha\r\x1b\x1b", nullptr},
        {"-alpha\r", nullptr}, // end of input while the message shows
        {"gopher://alpha.lan/1/a%0Ab\r", nullptr},
    };
    for (const auto& c : cases) {
        PromptFixture f;
        StdioSwap stdio(c.keys);
        prompt_open_url(&f.browser, &f.shown);
        const std::string out = stdio.output();
        EXPECT_NE(out.find(at(24, 1) + seq::bold_red +
                           "Error: Invalid Gopher address format. Press any key." + seq::reset),
                  std::string::npos)
            << "case=" << testing::PrintToString(c.keys);
        EXPECT_EQ(f.opened(), c.host != nullptr) << "case=" << testing::PrintToString(c.keys);
        if (c.host != nullptr && f.opened()) {
            EXPECT_STREQ(f.asked()->host, c.host);
        }
    }
}

} // namespace
