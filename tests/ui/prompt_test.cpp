// The search and address prompts: what the keys typed in them do, and the row they draw.
#include "ui/prompt.hpp"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <variant>

#include "gopher/menu.hpp"
#include "support/frame_text.hpp"
#include "support/model_fixture.hpp"
#include "ui/looks.hpp"

namespace {

// The search item is the one line of the menu on screen, marked. A frame is drawn after each
// key, as the loop draws them.
struct PromptFixture : ModelFixture {
    explicit PromptFixture(const char* selector = "/find")
        : ModelFixture("alpha.lan", 70, "", '1') {
        window(24);
        give_content(std::string("7Search\t") + selector + "\tbeta.lan\t7070\r\n");
        EXPECT_EQ(model.shown.place.selected, 0);
        draw_frames = true;
    }
    // The page asked for, which the loop then fetches.
    bool opened() const { return asked() != nullptr; }
    // Opens the prompt with its key (Enter on the search, 'o' for an address), then applies
    // keys while the prompt or its message is open; the rest is left for the view. With the
    // keys used up and the prompt still open, the input ends.
    std::string unread;
    void type(std::string_view opener, std::string_view keys) {
        std::ignore = press(opener);
        EXPECT_TRUE(std::holds_alternative<Prompt>(model.overlay));
        while (!std::holds_alternative<NoOverlay>(model.overlay) && !keys.empty()) {
            const DecodedKey key =
                next_key({reinterpret_cast<const unsigned char*>(keys.data()), keys.size()}, true);
            keys.remove_prefix(static_cast<std::size_t>(key.length));
            std::ignore = update(&model, {.kind = EventKind::key, .key = key},
                                 std::chrono::steady_clock::now());
            frame();
        }
        if (!std::holds_alternative<NoOverlay>(model.overlay)) {
            std::ignore =
                update(&model, {.kind = EventKind::input_ended}, std::chrono::steady_clock::now());
        }
        unread = keys;
    }
    void search(std::string_view keys) { type("\r", keys); }
    void open_url(std::string_view keys) { type("o", keys); }
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
         "/find\tabc"}, // control bytes and a byte that starts no UTF-8: dropped
        // Left moves the cursor; other keys are passed over whole.
        {"ab\x1b[Dc\x1b[5~d\r", "/find\tacdb"},
        {"cr\xc3\xa8me\r", "/find\tcr\xc3\xa8me"}, // UTF-8 sent as typed
        {"ab cd\x17x\x01y\x1b[3~\x05z\r", "/find\tyb xz"},
    };
    for (const auto& c : cases) {
        PromptFixture f;
        f.search(c.keys);
        ASSERT_TRUE(f.opened()) << "case=" << testing::PrintToString(c.keys);
        EXPECT_EQ(f.asked()->address.selector, c.selector)
            << "case=" << testing::PrintToString(c.keys);
        EXPECT_EQ(f.asked()->address.host, "beta.lan");
        EXPECT_EQ(f.asked()->address.port, 7070);
        EXPECT_EQ(f.asked()->address.type, '7');
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
        f.search(c.keys);
        EXPECT_FALSE(f.opened()) << "case=" << testing::PrintToString(c.keys);
        EXPECT_EQ(f.unread, c.unread) << "case=" << testing::PrintToString(c.keys);
        EXPECT_EQ(f.model.end ? 0 : 1, c.running) << "case=" << testing::PrintToString(c.keys);
    }
}

TEST(PromptSearch, IgnoresThe1024thCharacter) {
    PromptFixture f("");
    f.window(24, 3000); // wide enough to show every character
    f.draw_frames = false;
    f.search(std::string(1030, 'x'));
    const Prompt* prompt = std::get_if<Prompt>(&f.model.overlay);
    ASSERT_NE(prompt, nullptr) << "the end of input leaves the prompt as it was";
    EXPECT_EQ(prompt->line.text.size(), 1023u);
    Frame frame = make_frame(24, 3000);
    draw_prompt_row(*prompt, f.model.window, looks_palette(f.model.looks), &frame);
    const std::string out = frame_row(frame, 24);
    EXPECT_EQ(std::count(out.begin(), out.end(), 'x'), 1023) << "shown";
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
        f.search(std::string(c.query_length, 'x') + "\rkey");
        const std::string& out = f.drawn_text;
        const std::string message = "\nError: Search too long.\n";
        EXPECT_EQ(f.opened(), c.sent)
            << "selector=" << c.selector_length << " query=" << c.query_length;
        EXPECT_EQ(out.find(message) != std::string::npos, !c.sent)
            << "selector=" << c.selector_length << " query=" << c.query_length;
        // The message stays until a key: one is used up, the rest is left to the view.
        EXPECT_EQ(f.unread, c.sent ? "key" : "ey");
        if (c.sent) {
            EXPECT_EQ(f.asked()->address.selector,
                      selector + "\t" + std::string(c.query_length, 'x'));
        } else {
            // The frame after the key has the page alone again.
            const std::string last = frame_text(f.drawn);
            EXPECT_EQ(last.find("Error:"), std::string::npos);
            EXPECT_EQ(last.find("Search query:"), std::string::npos);
        }
    }
}

TEST(PromptOpenUrl, DrawsEchoesErasesAndClearsItsRow) {
    PromptFixture f;
    f.draw_frames = false;
    std::ignore = f.press("oab\x7f");
    {
        Frame frame = make_frame(24, 80);
        put_text(&frame, 24, 1, "what the row held before", look::bold_red);
        draw_prompt_row(std::get<Prompt>(f.model.overlay), f.model.window,
                        looks_palette(f.model.looks), &frame);
        EXPECT_EQ(frame_row(frame, 24), "Open URL: a");
        EXPECT_TRUE(frame_attr_run(frame, 24, 1, 10, look::bold_bright_blue));
        EXPECT_TRUE(frame_attr_run(frame, 24, 11, 70, look::plain));
        EXPECT_TRUE(frame.cursor_shown);
        EXPECT_EQ(frame.cursor_row, 24);
        EXPECT_EQ(frame.cursor_col, 12);
    }
    std::ignore = f.press("\x1b");
    EXPECT_TRUE(std::holds_alternative<NoOverlay>(f.model.overlay));
    const Frame frame = draw_frame(f.model);
    EXPECT_EQ(frame_text(frame).find("Open URL"), std::string::npos)
        << "the row is the page's again";
    EXPECT_FALSE(frame.cursor_shown) << "the cursor is hidden";
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
        f.open_url(c.keys);
        ASSERT_TRUE(f.opened()) << c.keys;
        EXPECT_EQ(f.asked()->address.host, c.host);
        EXPECT_EQ(f.asked()->address.port, c.port);
        EXPECT_EQ(f.asked()->address.selector, c.selector);
        EXPECT_EQ(f.asked()->address.type, c.type);
    }
}

TEST(PromptOpenUrl, InvalidAddressIsReportedAndAskedAgain) {
    const struct {
        std::string keys;
        const char* host; // nullptr: nothing opened
    } cases[] = {
        // The key only dismisses the message; the prompt holds what was typed.
        {"-alpha\rz.lan\r", "-alpha.lan"},
        {"-alpha\r\x1b[B\x15"
         "beta.lan\r",
         "beta.lan"}, // an arrow too, whole
        {"-alpha\r\x1b\x1b", nullptr},
        {"-alpha\r", nullptr}, // end of input while the message shows
        {"gopher://alpha.lan/1/a%0Ab\r", nullptr},
    };
    for (const auto& c : cases) {
        PromptFixture f;
        f.open_url(c.keys);
        EXPECT_NE(f.drawn_text.find("\nError: Invalid Gopher address format. Press any key.\n"),
                  std::string::npos)
            << "case=" << testing::PrintToString(c.keys);
        EXPECT_EQ(f.opened(), c.host != nullptr) << "case=" << testing::PrintToString(c.keys);
        if (c.host != nullptr && f.opened()) {
            EXPECT_EQ(f.asked()->address.host, c.host);
        }
    }
}

} // namespace

namespace {

// A proposed file name may hold characters of several bytes and columns: Backspace takes one
// whole, and the row shows the last ones that fit, never half of one.
TEST(PromptSave, EditsAndShowsAProposedNameByCharacters) {
    ModelFixture f("alpha.lan", 70, "", '0');
    f.window(24, 14); // "Save as: " leaves 4 columns, the last one for the cursor
    f.give_content("text\n");
    const std::string han = "\xe6\xbc\xa2"; // 2 columns
    f.model.overlay = Prompt{PromptKind::save, line_with("a" + han + han + "\xc3\xa9"), {}};
    const auto line = [&] { return std::get<Prompt>(f.model.overlay).line.text; };
    {
        Frame frame = make_frame(24, 14);
        draw_prompt_row(std::get<Prompt>(f.model.overlay), f.model.window,
                        looks_palette(f.model.looks), &frame);
        EXPECT_EQ(frame_row(frame, 24), "Save as: " + han + "\xc3\xa9");
        EXPECT_EQ(cell_at(frame, 24, 10).width, 2);
        EXPECT_EQ(frame.cursor_col, 13) << "after the last character shown";
    }
    std::ignore = f.press("\x7f");
    EXPECT_EQ(line(), "a" + han + han);
    std::ignore = f.press("\x7f");
    EXPECT_EQ(line(), "a" + han);
    std::ignore = f.press("x");
    EXPECT_EQ(line(), "a" + han + "x");
}

} // namespace
