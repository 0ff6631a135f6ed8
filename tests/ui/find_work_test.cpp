// Finding text in the page on screen through the update step: the prompt, the match brought to
// the top, the next and the one before round the ends, menus, and a long search between keys.
#include "ui/find_work.hpp"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <variant>

#include "support/frame_text.hpp"
#include "support/model_fixture.hpp"
#include "ui/frame.hpp"
#include "ui/looks.hpp"
#include "ui/update.hpp"

namespace {

// "line 0" to "line 99", with "needle" on lines 10, 40 and 95, then in an escape sequence's
// parameters on line 60, where it is not shown.
std::string numbered_text() {
    std::string text;
    for (int n = 0; n < 100; ++n) {
        text += "line " + std::to_string(n);
        if (n == 10 || n == 40 || n == 95) {
            text += " has the Needle";
        }
        if (n == 60) {
            text += "\x1b]0;needle\x07";
        }
        text += "\n";
    }
    return text;
}

struct Page : ModelFixture {
    explicit Page(const std::string& text, char type = '0', int rows = 24)
        : ModelFixture("alpha.lan", 70, "/p", type) {
        window(rows);
        give_content(text);
    }
    long top() const { return model.shown.top.line; }
    bool looking() const { return std::holds_alternative<FindLooking>(model.find.phase); }
    bool found() const { return std::holds_alternative<FoundInText>(model.find.phase); }
    // The bottom row's words about the search.
    const std::string& note() const { return model.message.text; }
    // The time events the loop sends while a search looks, until it ends.
    void finish_search() {
        for (int k = 0; k < 10'000 && looking(); ++k) {
            std::ignore =
                update(&model, {.kind = EventKind::time}, std::chrono::steady_clock::now());
        }
    }
};

constexpr const char* wrapped = "Search wrapped.";

TEST(FindWork, BringsEachMatchToTheTopAndGoesRoundTheEnds) {
    Page page(numbered_text()); // 20 rows on screen; the last screen starts at line 80
    std::ignore = page.press("/");
    const Prompt* prompt = std::get_if<Prompt>(&page.model.overlay);
    ASSERT_NE(prompt, nullptr);
    ASSERT_EQ(prompt->kind, PromptKind::find);
    std::ignore = page.press("NEEDLE\r");
    EXPECT_TRUE(std::holds_alternative<NoOverlay>(page.model.overlay));
    EXPECT_EQ(page.top(), 10);
    EXPECT_EQ(page.note(), "");
    const struct {
        const char* keys;
        long top;
        const char* note;
    } steps[] = {
        {"n", 40, ""},      {"n", 80, ""}, // line 95 on the last screen: the page allows no more
        {"n", 10, wrapped}, {"N", 80, wrapped},
        {"N", 40, ""},      {"\r", 40, ""}, // Enter in the view does nothing in a text
        {"/\r", 80, ""},                   // an empty prompt repeats the last search, on from there
        {"\x1b[H", 0, ""},  {"N", 40, ""}, // the one before the last match, wherever the screen is
    };
    for (const auto& step : steps) {
        std::ignore = page.press(step.keys);
        EXPECT_EQ(page.top(), step.top) << "keys=" << step.keys;
        EXPECT_EQ(page.note(), step.note) << "keys=" << step.keys;
    }
    // The words go with the next key.
    std::ignore = page.press("x");
    EXPECT_EQ(page.note(), "");
}

// What the filter removes is not found; a search for nothing found leaves the screen as it was.
TEST(FindWork, NotFoundLeavesTheScreenAsItWas) {
    Page page(numbered_text());
    std::ignore = page.press("\x1b[6~");
    ASSERT_EQ(page.top(), 20);
    for (const char* needle : {"]0;needle", "haystack", "31m"}) {
        std::ignore = page.press("/" + std::string(needle) + "\r");
        EXPECT_EQ(page.top(), 20) << needle;
        EXPECT_EQ(page.note(), "Not found: " + std::string(needle));
        EXPECT_EQ(page.model.message.kind, MessageKind::error);
        EXPECT_FALSE(page.looking());
    }
    page.window(24);
    page.draw_frames = true;
    page.frame();
    EXPECT_EQ(frame_row(page.drawn, 24), "Not found: 31m");
    // n and N with no match anywhere change nothing either.
    std::ignore = page.press("n");
    EXPECT_EQ(page.top(), 20);
}

// Every match on screen is drawn in reverse video, and only on the page searched.
TEST(FindWork, MatchesOnScreenAreMarked) {
    Page page(numbered_text());
    std::ignore = page.press("/needle\r");
    page.draw_frames = true;
    page.frame();
    // The cells in reverse video, as "row:col".
    const auto reversed = [](const Frame& frame) {
        std::string cells;
        for (int row = 1; row <= frame.rows; ++row) {
            for (int col = 1; col <= frame.cols; ++col) {
                if (frame_attr(frame, row, col).reverse) {
                    cells += std::to_string(row) + ":" + std::to_string(col) + " ";
                }
            }
        }
        return cells;
    };
    const std::string out = frame_text(page.drawn);
    const std::size_t at = out.find("line 10 has the Needle");
    ASSERT_NE(at, std::string::npos) << out;
    const int row =
        static_cast<int>(std::count(out.begin(), out.begin() + static_cast<long>(at), '\n')) + 1;
    std::string expected;
    for (int col = 18; col < 24; ++col) {
        expected += std::to_string(row) + ":" + std::to_string(col) + " ";
    }
    EXPECT_EQ(reversed(page.drawn), expected) << "one match on screen, its six cells";
    EXPECT_EQ(frame_attr(page.drawn, row, 18),
              (Attr{basic_colour(look::yellow), Colour{}, true, true, true}))
        << "on top of the text's colour, underlined as the match landed on";

    push_page(&page.model.history, address_of("alpha.lan", 70, "/q", '0'));
    page.give_content("another page with a needle\n");
    page.frame();
    EXPECT_EQ(reversed(page.drawn), "");
}

// The match a search landed on is underlined as well; n moves the underline, not the others.
TEST(FindWork, TheMatchLandedOnIsDrawnApart) {
    Page page("first line\nan owl\nan Owl\nlast line\n");
    page.draw_frames = true;
    std::ignore = page.press("/owl\r");
    page.frame();
    // Row 4 shows the first line; the matches are on rows 5 and 6, columns 5-7.
    const auto looks = [&](int row) {
        const Attr attr = frame_attr(page.drawn, row, 5);
        return std::string(attr.reverse ? "reverse" : "") + (attr.underline ? " underline" : "");
    };
    EXPECT_EQ(looks(5), "reverse underline");
    EXPECT_EQ(looks(6), "reverse");
    EXPECT_FALSE(frame_attr(page.drawn, 5, 8).underline);
    std::ignore = page.press("n");
    page.frame();
    EXPECT_EQ(looks(5), "reverse");
    EXPECT_EQ(looks(6), "reverse underline");
}

// A long line: the row that holds the match comes to the top, and with lines cut, the columns
// that show it.
TEST(FindWork, TheRowOfTheMatchComesToTheTop) {
    std::string text = "first\n";
    for (int n = 0; n < 40; ++n) {
        text += "word" + std::to_string(n) + " ";
    }
    text += "\n";
    for (int n = 0; n < 30; ++n) {
        text += "filler " + std::to_string(n) + "\n";
    }
    Page page(text);
    std::ignore = page.press("/word30\r"); // on the line's third row at 78 columns
    EXPECT_EQ(page.top(), 1);
    EXPECT_EQ(page.model.shown.top.row, 2);
    // "word1" and "word10" to "word11" on row 0, "word12" to "word19" on row 1: from the first
    // row on screen, the search goes round the end back to the line.
    std::ignore = page.press("/word1\r");
    EXPECT_EQ(page.top(), 1);
    EXPECT_EQ(page.model.shown.top.row, 0);
    EXPECT_EQ(page.note(), wrapped);
    std::ignore = page.press("\x1b[H/word1\r");
    EXPECT_EQ(page.top(), 1);
    EXPECT_EQ(page.model.shown.top.row, 0);
    EXPECT_EQ(page.note(), "");
    std::ignore = page.press("n"); // the other matches on row 0 are passed over
    EXPECT_EQ(page.model.shown.top.row, 1);
    std::ignore = page.press("N");
    EXPECT_EQ(page.model.shown.top.row, 0);

    std::ignore = page.press("w/word35\r");
    EXPECT_EQ(page.top(), 1);
    EXPECT_EQ(page.model.shown.top.row, 0);
    EXPECT_EQ(page.model.shown.left, 234) << "word35 starts at column 235";
}

// In a menu the selection moves to a link that holds the match, and Enter opens it; a match in
// an information line only scrolls.
TEST(FindWork, MenuMatchesMoveTheSelectionToTheirLink) {
    std::string menu;
    for (int n = 0; n < 60; ++n) {
        const bool link = n % 2 == 0;
        menu += std::string(link ? "0" : "i") + "Item " + std::to_string(n) +
                (n == 31 ? " about gophers" : "") + (n == 44 ? " of Gophers" : "") + "\t/s" +
                std::to_string(n) + "\talpha.lan\t70\r\n";
    }
    Page page(menu, '1');
    ASSERT_TRUE(page.model.shown.placed);
    std::ignore = page.press("/gopher\r");
    EXPECT_EQ(page.model.shown.place.top, 31) << "an information line";
    EXPECT_EQ(page.model.shown.place.selected, 32) << "the marker stays on screen";
    std::ignore = page.press("n");
    EXPECT_EQ(page.model.shown.place.top, 40) << "the last screen";
    EXPECT_EQ(page.model.shown.place.selected, 44);
    std::ignore = page.press("n");
    EXPECT_EQ(page.model.shown.place.top, 31);
    EXPECT_EQ(page.note(), wrapped);
    std::ignore = page.press("N\r");
    ASSERT_NE(page.asked(), nullptr);
    EXPECT_EQ(page.asked()->address.selector, "/s44");
}

// A search through a 100 MB text runs a step per turn of the loop and ends; any key stops it, Esc
// and Ctrl-C doing nothing else, and the screen stays as it was.
TEST(FindWork, ALongSearchRunsBetweenKeysAndAKeyStopsIt) {
    std::string text;
    const std::string line(69, 'x'); // one row each
    while (text.size() < (std::size_t{100} << 20)) {
        text += line + "\n";
    }
    text += "the end\n";
    Page page(text);
    const auto last = static_cast<long>((text.size() - 8) / 70); // "the end"

    for (const char* stop : {"\x1b", "\x03", "\x1b[B"}) {
        std::ignore = page.press("\x1b[H/the end\r");
        ASSERT_TRUE(page.looking()) << "one step does not reach the end";
        std::ignore =
            update(&page.model, {.kind = EventKind::time}, std::chrono::steady_clock::now());
        EXPECT_TRUE(page.looking());
        std::ignore = page.press(stop);
        EXPECT_FALSE(page.looking());
        EXPECT_EQ(page.top(), std::string(stop) == "\x1b[B" ? 1 : 0) << "the key then acts";
        EXPECT_EQ(page.note(), "");
        EXPECT_FALSE(page.found());
    }
    std::ignore = page.press("\x1b[H/the end\r");
    page.finish_search();
    EXPECT_FALSE(page.looking());
    EXPECT_EQ(page.top(), last - 19); // the last screen
    EXPECT_TRUE(page.found());

    Waits waits;
    collect_waits(page.model, &waits);
    EXPECT_EQ(waits.deadline, std::chrono::steady_clock::time_point::max()) << "nothing running";
    std::ignore = page.press("\x1b[H/the end\r");
    collect_waits(page.model, &waits);
    EXPECT_LE(waits.deadline, std::chrono::steady_clock::now()) << "the next turn at once";
}

} // namespace
