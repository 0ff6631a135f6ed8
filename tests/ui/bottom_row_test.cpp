// What the bottom row shows when several things want it, and the URLs `u` shows.
#include <gtest/gtest.h>
#include <string>
#include <variant>

#include "support/frame_text.hpp"
#include "support/model_fixture.hpp"
#include "ui/bottom_row.hpp"
#include "ui/frame.hpp"

namespace {

// From the strongest: the prompt, a loading page's progress, the message (a failed fetch's,
// a save's outcome, a link), a save's progress.
TEST(BottomRow, EachTextGivesWayToTheOnesAboveIt) {
    const char* texts[] = {"Open URL:", "Receiving... 3 KB", "telnet://alpha.lan:23",
                           "Saving a.bin... 1 KB"};
    for (int top = 0; top < 4; ++top) {
        ModelFixture f("alpha.lan", 70, "", '0');
        f.window(24, 80);
        f.give_content("text\n");
        Model& model = f.model;
        if (top <= 0) {
            model.overlay = Prompt{};
        }
        if (top <= 1) {
            model.fetch.transfer.emplace().progress = texts[1];
        }
        if (top <= 2) {
            model.message = note_message(texts[2], true);
        }
        model.save.transfer.emplace().progress = texts[3];
        const std::string out = frame_text(draw_frame(model));
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(out.find(texts[i]) != std::string::npos, i == top)
                << "top=" << texts[top] << " text=" << texts[i];
        }
        // The state is the loop's own: it ends no transaction of a test's.
        model.fetch.transfer.reset();
        model.save.transfer.reset();
    }
}

// The same ranking as a record, with what each kind carries.
TEST(BottomRow, TheRankingSaysWhichKindAndWhichText) {
    ModelFixture f("alpha.lan", 70, "", '0');
    f.give_content("text\n");
    Model& model = f.model;
    const auto row = [&] { return bottom_row(model); };
    EXPECT_EQ(row().kind, BottomKind::empty);
    model.save.transfer.emplace().progress = "Saving a.bin... 1 KB";
    EXPECT_EQ(row().kind, BottomKind::progress);
    EXPECT_EQ(row().text, "Saving a.bin... 1 KB");
    model.message = error_message("Error: gone");
    EXPECT_EQ(row().kind, BottomKind::error);
    EXPECT_EQ(row().text, "Error: gone");
    EXPECT_FALSE(row().keep_end);
    model.message = done_message("Bookmarked: Alpha");
    EXPECT_EQ(row().kind, BottomKind::done);
    EXPECT_EQ(row().text, "Bookmarked: Alpha");
    model.message = note_message("gopher://alpha.lan:70/1/", true);
    EXPECT_EQ(row().kind, BottomKind::note);
    EXPECT_TRUE(row().keep_end);
    model.fetch.transfer.emplace().progress = "";
    EXPECT_EQ(row().kind, BottomKind::note) << "no progress before its delay";
    model.fetch.transfer->progress = "Connecting to alpha.lan:70...";
    EXPECT_EQ(row().kind, BottomKind::progress);
    EXPECT_EQ(row().text, "Connecting to alpha.lan:70...");
    model.overlay = Prompt{PromptKind::address, line_with("abc"), {}};
    EXPECT_EQ(row().kind, BottomKind::prompt);
    EXPECT_EQ(row().text, "abc");
    model.overlay = PromptError{"Error: Invalid Gopher address format.", {}};
    EXPECT_EQ(row().kind, BottomKind::prompt_error);
    EXPECT_EQ(row().text, "Error: Invalid Gopher address format.");
    model.overlay = Confirm{"Remove Alpha? (y/n)", RemoveBookmark{}};
    EXPECT_EQ(row().kind, BottomKind::confirm);
    EXPECT_EQ(row().text, "Remove Alpha? (y/n)");
    model.overlay = AboutScreen{};
    EXPECT_EQ(row().kind, BottomKind::empty) << "the about screen has no bottom row";
    model.fetch.transfer.reset();
    model.save.transfer.reset();
}

TEST(BottomRow, TheUKeyShowsThePagesURLInTheTextView) {
    const struct {
        char type;
        const char* selector;
        const char* url;
    } cases[] = {
        {'0', "/a b/caf\xc3\xa9%", "gopher://alpha.lan:70/0/a%20b/caf%C3%A9%25"},
        {'7', "/find\tword", "gopher://alpha.lan:70/7/find%09word"},
        // An address ending in "/": the first line decided, and will again.
        {'\0', "", "gopher://alpha.lan:70/"},
    };
    for (const auto& c : cases) {
        ModelFixture f("alpha.lan", 70, c.selector, c.type);
        f.window(24, 80);
        f.give_content("A text without a TAB\n");
        std::ignore = f.press("u");
        EXPECT_EQ(f.model.message.text, c.url);
        EXPECT_EQ(f.model.message.kind, MessageKind::note);
        std::ignore = f.press("\033[B");
        EXPECT_EQ(f.model.message.text, "") << "the next key takes it away";
    }
}

} // namespace
