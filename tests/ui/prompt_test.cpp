// The search and address prompts, fed from a file in place of the keyboard.
#include "ui/prompt.hpp"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "nav/history.hpp"
#include "term/sequences.hpp"
#include "ui/stdio_swap.hpp"

namespace {

struct PromptFixture {
    Browser browser{};
    MenuItem search{};
    PromptFixture() {
        push_page(&browser, "alpha.lan", 70, "", '1');
        browser.winsize.ws_row = 24;
        browser.winsize.ws_col = 80;
        search.type = '7';
        std::strcpy(search.selector, "/find");
        std::strcpy(search.host, "beta.lan");
        search.port = 7070;
        search.selectable = 1;
    }
    ~PromptFixture() { free_history(browser.current); }
    bool opened() const { return browser.current->prev != nullptr; }
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
         "/find\tabc"}, // not printable ASCII: ignored
    };
    for (const auto& c : cases) {
        PromptFixture f;
        StdioSwap stdio(c.keys);
        prompt_search(&f.browser, &f.search);
        ASSERT_TRUE(f.opened()) << "case=" << testing::PrintToString(c.keys);
        EXPECT_STREQ(f.browser.current->selector, c.selector)
            << "case=" << testing::PrintToString(c.keys);
        EXPECT_STREQ(f.browser.current->host, "beta.lan");
        EXPECT_EQ(f.browser.current->port, 7070);
        EXPECT_EQ(f.browser.current->type, '7');
    }
}

TEST(PromptSearch, EscapeOrNothingTypedOpensNothing) {
    const struct {
        std::string keys;
        std::string unread;
    } cases[] = {{"abc\x1b[A", "[A"}, {"\r", ""}, {"", ""}, {"\x7f\r", ""}};
    for (const auto& c : cases) {
        PromptFixture f;
        StdioSwap stdio(c.keys);
        prompt_search(&f.browser, &f.search);
        EXPECT_FALSE(f.opened()) << "case=" << testing::PrintToString(c.keys);
        EXPECT_EQ(stdio.unread(), c.unread) << "case=" << testing::PrintToString(c.keys);
    }
}

TEST(Prompt, EndOfInputDropsWhatWasTypedAndEndsTheRun) {
    struct Case {
        bool search;
        std::string keys;
    };
    const Case cases[] = {
        {true, "Qx"},
        {false, "q.lan:7070/0/notes.txt"}, // valid, but never confirmed
        {false, "alpha\r"},                // ended while the error message shows
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("case=" + testing::PrintToString(c.keys));
        PromptFixture f;
        f.browser.running = 1;
        StdioSwap stdio(c.keys);
        if (c.search) {
            prompt_search(&f.browser, &f.search);
        } else {
            prompt_open_url(&f.browser);
        }
        EXPECT_FALSE(f.opened());
        EXPECT_EQ(f.browser.running, 0);
    }
}

TEST(PromptSearch, IgnoresThe1024thCharacter) {
    PromptFixture f;
    f.search.selector[0] = '\0';
    StdioSwap stdio(std::string(1030, 'x') + "\r");
    prompt_search(&f.browser, &f.search);
    const std::string out = stdio.output();
    EXPECT_EQ(std::count(out.begin(), out.end(), 'x'), 1023) << "echoed";
    ASSERT_TRUE(f.opened());
    EXPECT_EQ(std::string(f.browser.current->selector), "\t" + std::string(1022, 'x'))
        << "cut by push_page";
}

TEST(PromptOpenUrl, DrawsEchoesErasesAndClearsItsRow) {
    PromptFixture f;
    StdioSwap stdio("ab\x7f\x1b");
    prompt_open_url(&f.browser);
    const std::string blank_row = at(24, 1) + std::string(80, ' ');
    EXPECT_EQ(stdio.output(), blank_row + at(24, 1) + seq::bold_bright_blue +
                                  "Open URL: " + seq::reset + at(24, 11) + "\033[?25h" + "a" + "b" +
                                  at(24, 13) + "\b \b" + "\033[?25l" + blank_row);
    EXPECT_FALSE(f.opened());
}

TEST(PromptOpenUrl, OpensAValidAddress) {
    PromptFixture f;
    StdioSwap stdio("q.lan:7070/0/notes.txt\r");
    prompt_open_url(&f.browser);
    ASSERT_TRUE(f.opened());
    EXPECT_STREQ(f.browser.current->host, "q.lan");
    EXPECT_EQ(f.browser.current->port, 7070);
    EXPECT_STREQ(f.browser.current->selector, "/notes.txt");
    EXPECT_EQ(f.browser.current->type, '0');
}

TEST(PromptOpenUrl, InvalidAddressIsReportedAndAskedAgain) {
    const struct {
        std::string keys;
        const char* host; // nullptr: nothing opened
    } cases[] = {
        {"alpha\r\x1b"
         "beta.lan\r",
         "beta.lan"}, // ESC only dismisses the message
        {"alpha\r\x1b\x1b", nullptr},
        {"alpha\r", nullptr}, // end of input while the message shows
    };
    for (const auto& c : cases) {
        PromptFixture f;
        StdioSwap stdio(c.keys);
        prompt_open_url(&f.browser);
        const std::string out = stdio.output();
        EXPECT_NE(out.find(at(24, 1) + seq::bold_red +
                           "Error: Invalid Gopher address format. Press any key." + seq::reset),
                  std::string::npos)
            << "case=" << testing::PrintToString(c.keys);
        EXPECT_EQ(f.opened(), c.host != nullptr) << "case=" << testing::PrintToString(c.keys);
        if (c.host != nullptr && f.opened()) {
            EXPECT_STREQ(f.browser.current->host, c.host);
        }
    }
}

} // namespace
