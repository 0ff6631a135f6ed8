// What the bottom row shows when several things want it, and the URLs `u` shows.
#include <gtest/gtest.h>
#include <string>

#include "support/model_fixture.hpp"
#include "ui/bottom_note.hpp"

namespace {

// From the strongest: the prompt, a loading page's progress, a failed fetch's message, the
// note of a save or a link, a save's progress.
TEST(BottomRow, EachTextGivesWayToTheOnesAboveIt) {
    const char* texts[] = {"Open URL:", "Receiving... 3 KB", "Error: Cancelled here",
                           "telnet://alpha.lan:23", "Saving a.bin... 1 KB"};
    for (int top = 0; top < 5; ++top) {
        ModelFixture f("alpha.lan", 70, "", '0');
        f.window(24, 80);
        f.give_content("text\n");
        Model& model = f.model;
        if (top <= 0) {
            model.overlay.kind = OverlayKind::prompt;
        }
        if (top <= 1) {
            model.fetch.active = true;
            model.fetch.progress = texts[1];
        }
        if (top <= 2) {
            model.message = texts[2];
        }
        if (top <= 3) {
            model.note = Note{texts[3], false, true};
        }
        model.save.active = true;
        model.save.progress = texts[4];
        const std::string out = frame_text(draw_frame(model));
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(out.find(texts[i]) != std::string::npos, i == top)
                << "top=" << texts[top] << " text=" << texts[i];
        }
        // The state is the loop's own: it ends no transaction of a test's.
        model.fetch.active = false;
        model.save.active = false;
    }
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
        EXPECT_EQ(f.model.note.text, c.url);
        EXPECT_FALSE(f.model.note.error);
        std::ignore = f.press("\033[B");
        EXPECT_EQ(f.model.note.text, "") << "the next key takes it away";
    }
}

} // namespace
