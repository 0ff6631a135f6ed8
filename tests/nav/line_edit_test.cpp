// The line typed in a prompt: editing keys and the part a field shows.
#include "nav/line_edit.hpp"

#include <gtest/gtest.h>
#include <string>
#include <string_view>

namespace {

// The line as "text with | at the cursor".
std::string marked(const LineEdit& line) {
    std::string out = line.text;
    out.insert(line.cursor, "|");
    return out;
}

LineEdit from_marked(std::string_view text) {
    const std::size_t at = text.find('|');
    LineEdit line;
    line.text = std::string(text.substr(0, at)) + std::string(text.substr(at + 1));
    line.cursor = at;
    return line;
}

// Applies the keys the terminal bytes make.
void press(LineEdit* line, std::string_view bytes, std::size_t limit = 100) {
    while (!bytes.empty()) {
        const DecodedKey key =
            next_key({reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()}, true);
        bytes.remove_prefix(static_cast<std::size_t>(key.length));
        std::ignore = edit_line(line, key, limit);
    }
}

constexpr const char* left = "\x1b[D";
constexpr const char* right = "\x1b[C";
constexpr const char* del = "\x1b[3~";

TEST(LineEdit, EditsAsAShellDoes) {
    const struct {
        const char* before;
        std::string keys;
        const char* after;
    } cases[] = {
        {"|", "cr\xc3\xa8me", "cr\xc3\xa8me|"},
        {"|", "\xe4\xb8\xad\xe6\x96\x87", "\xe4\xb8\xad\xe6\x96\x87|"}, // CJK
        {"|", "a\xe9z", "az|"},                          // a Latin-1 byte: not UTF-8, dropped
        {"|", "a\xc3z", "az|"},                          // a character cut short
        {"|", "\xc0\xaf\xe0\x80\xaf", "|"},              // overlong forms
        {"|", "\xed\xa0\x80\xf4\x90\x80\x80", "|"},      // a surrogate, past U+10FFFF
        {"|", "\xc2\x85x\x1f\t", "x|"},                  // C1 and C0 controls
        {"|", std::string("\xc3") + left + "\xa8", "|"}, // a key between the bytes drops them
        {"cr\xc3\xa8me|", std::string(left) + left + left, "cr|\xc3\xa8me"},
        {"cr|\xc3\xa8me", std::string(right) + right, "cr\xc3\xa8m|e"},
        {"ab|", std::string(right), "ab|"},
        {"|ab", std::string(left), "|ab"},
        {"cr\xc3\xa8|me", "\x7f", "cr|me"}, // Backspace: the whole character
        {"cr|\xc3\xa8me", del, "cr|me"},    // Delete: the one under the cursor
        {"ab|", del, "ab|"},
        {"|ab", "\x7f", "|ab"},
        {"ab|cd", "\x1b[H", "|abcd"},
        {"ab|cd", "\x1b[F", "abcd|"},
        {"ab|cd", "\x01x", "x|abcd"},        // Ctrl-A
        {"ab|cd", "\x05x", "abcdx|"},        // Ctrl-E
        {"one two|three", "\x15", "|three"}, // Ctrl-U
        {"one two  |x", "\x17", "one |x"},   // Ctrl-W: blanks, then the word
        {"one two|", "\x17\x17", "|"},
        {"/a/b c\xc3\xa9|", "\x17", "/a/b |"},
        {"e\xcc\x81|x", "\x7f", "|x"}, // e and its combining accent go together
        {"|e\xcc\x81x", std::string(right), "e\xcc\x81|x"},
        {"e\xcc\x81|", std::string(left) + del, "|"},
        {"a|", "\xcc\x81", "a\xcc\x81|"}, // a combining mark typed joins the character
        {"|\xcc\x81x", "e", "e\xcc\x81|x"},
    };
    for (const auto& c : cases) {
        LineEdit line = from_marked(c.before);
        press(&line, c.keys);
        EXPECT_EQ(marked(line), c.after)
            << "before=" << c.before << " keys=" << testing::PrintToString(c.keys);
        EXPECT_TRUE(line.pending.empty() || c.keys.back() == '\xc3');
    }
}

TEST(LineEdit, KeepsTheLimitInBytes) {
    LineEdit line;
    press(&line, "abc\xc3\xa8", 4); // the two-byte character would make 5
    EXPECT_EQ(marked(line), "abc|");
    press(&line, "d\xc3\xa8", 4);
    EXPECT_EQ(marked(line), "abcd|");
    LineEdit wide;
    press(&wide, "\xc3\xa8\xc3\xa8", 4);
    EXPECT_EQ(marked(wide), "\xc3\xa8\xc3\xa8|");
}

TEST(LineEdit, LeavesOtherKeysToTheCaller) {
    LineEdit line = line_with("ab");
    for (const std::string_view keys : {"\r", "\n", "\x1b", "\x1b[A", "\x1b[6~", "\t"}) {
        const DecodedKey key =
            next_key({reinterpret_cast<const unsigned char*>(keys.data()), keys.size()}, true);
        EXPECT_FALSE(edit_line(&line, key, 100)) << testing::PrintToString(std::string(keys));
    }
    EXPECT_EQ(marked(line), "ab|");
}

// The field as drawn: the shown bytes with "|" where the cursor stands, checked against its
// column.
std::string field(const LineEdit& line, const LineView& view) {
    std::string out = line.text.substr(view.from, view.to - view.from);
    out.insert(line.cursor - view.from, "|");
    return out;
}

TEST(LineEditView, ShowsThePartAroundTheCursor) {
    const struct {
        const char* line;
        std::size_t shown_from;
        int room;
        const char* shown;
        int cursor_col;
    } cases[] = {
        {"abc|", 0, 10, "abc|", 3},
        {"abcdefgh|", 0, 5, "efgh|", 4},  // typing at the end: the tail, the cursor last
        {"abc|defgh", 0, 5, "abc|de", 3}, // the start kept while the cursor is in view
        {"abcdefg|h", 0, 5, "defg|h", 4}, // moved right only as far as needed
        {"ab|cdefgh", 4, 5, "|cdefg", 0}, // and left as far
        {"abcdefgh|", 6, 5, "efgh|", 4},
        {"ab|c", 2, 5, "ab|c", 2}, // the text fits: all of it
        // Wide characters: whole or not shown; the cursor's one fits whole.
        {"\xe4\xb8\xad\xe6\x96\x87\xe5\xad\x97|", 0, 5, "\xe6\x96\x87\xe5\xad\x97|", 4},
        {"a|\xe4\xb8\xad\xe6\x96\x87", 0, 4, "a|\xe4\xb8\xad", 1},
        {"abc|\xe4\xb8\xad", 0, 4, "bc|\xe4\xb8\xad", 2},
        {"|\xe4\xb8\xad", 0, 1, "|", 0}, // no room for it at all
        {"cr\xc3\xa8me|", 0, 4, "\xc3\xa8me|", 3},
        {"ab|", 0, 0, "|", 0},
    };
    for (const auto& c : cases) {
        LineEdit line = from_marked(c.line);
        line.shown_from = c.shown_from;
        const LineView view = view_line(line, c.room);
        EXPECT_EQ(field(line, view), c.shown) << "line=" << c.line << " room=" << c.room;
        EXPECT_EQ(view.cursor_col, c.cursor_col) << "line=" << c.line << " room=" << c.room;
    }
}

TEST(LineEditView, ScrollsBackAfterErasing) {
    LineEdit line = line_with("abcdefghij");
    line.shown_from = view_line(line, 5).from;
    EXPECT_EQ(line.shown_from, 6U);
    press(&line, "\x15"); // everything gone: the view starts at the start again
    EXPECT_EQ(view_line(line, 5).from, 0U);
}

} // namespace
