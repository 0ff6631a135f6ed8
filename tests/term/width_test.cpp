// Untrusted text measured in terminal columns and cut to a row.
#include "term/width.hpp"

#include <gtest/gtest.h>
#include <string>

#include "support/untrusted_text.hpp"
#include "term/untrusted.hpp"

using namespace std::string_literals;

namespace {

std::string cut(std::string_view line, int cols, TabShow tabs = TabShow::to_tab_stop) {
    std::string out = "<";
    const int used = append_cut(out, line, cols, tabs);
    // Columns used are those of what was appended, measured afresh.
    EXPECT_EQ(used, shown_width(std::string_view(out).substr(1), tabs))
        << "case=" << testing::PrintToString(line) << " cols=" << cols;
    return out.substr(1);
}

const std::string e_acute = "\xc3\xa9";         // é, 1 column
const std::string zhe = "\xd0\x96";             // Ж, 1 column
const std::string han = "\xe6\xbc\xa2";         // 漢, 2 columns
const std::string grin = "\xf0\x9f\x98\x80";    // U+1F600, 2 columns
const std::string vs16 = "\xef\xb8\x8f";        // variation selector 16, 0 columns
const std::string acute = "\xcc\x81";           // combining acute accent, 0 columns
const std::string zwj = "\xe2\x80\x8d";         // zero width joiner, 0 columns
const std::string fullwidth_a = "\xef\xbc\xa1"; // Ａ, 2 columns

TEST(Width, WholeLinesAreMeasuredInColumnsAfterTheFilter) {
    const struct {
        std::string line;
        long width;
    } cases[] = {
        {"", 0},
        {"plain ASCII", 11},
        {e_acute + "t" + e_acute, 3},
        {zhe + zhe + zhe, 3},
        {han + han, 4},
        {fullwidth_a, 2},
        {grin, 2},
        {grin + vs16, 2},
        {"e" + acute, 1},
        {"a" + zwj + "b", 2},
        {"\x1b[31mred\x1b(B\x1b[m", 3}, // sequences take nothing
        {"\x01\x7f\xc3(", 4},           // each "?" one column
        {"\xf0\x9f\x98", 3},            // each byte of a broken sequence
        {"line\r", 4},                  // the CR that ends the line is dropped
        {"\ra", 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shown_width(c.line, TabShow::to_tab_stop), c.width)
            << "case=" << testing::PrintToString(c.line);
    }
}

TEST(Width, CutsNeverSplitACharacterAndKeepItsMarks) {
    const std::string es = e_acute + e_acute + e_acute + e_acute;
    const struct {
        std::string line;
        int cols;
        std::string out;
    } cases[] = {
        {"abcdef", 6, "abcdef"},
        {"abcdef", 3, "abc"},
        {"abcdef", 1, "a"},
        {"abcdef", 0, ""},
        {"ab", 80, "ab"},
        {es, 2, e_acute + e_acute},
        {zhe + zhe + zhe, 2, zhe + zhe},
        // A wide character that would straddle the cut is left out.
        {han + han, 4, han + han},
        {han + han, 3, han},
        {han + han, 2, han},
        {han + han, 1, ""},
        {"a" + han, 2, "a"},
        {"a" + fullwidth_a + "b", 3, "a" + fullwidth_a},
        {grin + grin, 3, grin},
        {grin + vs16 + grin + vs16, 2, grin + vs16},
        {grin + vs16 + "x", 3, grin + vs16 + "x"},
        // Zero-width characters right after the last one shown stay with it.
        {"e" + acute + "x", 1, "e" + acute},
        {"e" + acute + acute + "x", 1, "e" + acute + acute},
        {"a" + zwj + "b", 1, "a" + zwj},
        {"e\x1b[0m" + acute + "x", 1, "e" + acute},
        // ...but not those of a character left out.
        {"a" + han + acute, 2, "a"},
        // The filter's "?" take one column each.
        {"\x01\x02\x03", 2, "??"},
        {"\xf0\x9f\x98"
         "a",
         2, "??"},
        {"\xf0\x9f\x98"
         "a",
         4, "???a"},
        {"\xc2\x9b"
         "31m",
         2, "?3"},
        // Sequences take no columns, wherever they are cut.
        {"\x1b[31mab\x1b[0mcd", 3, "abc"},
        {"ab\x1b(Bcd", 3, "abc"},
        {"ab\x1b]0;title\x07", 2, "ab"},
        // Only a CR that ends the whole line is dropped, not one that ends the piece shown.
        {"ab\rcd", 3, "ab?"},
        {"abc\r", 3, "abc"},
        {"abc\r", 80, "abc"},
        {"abc\rd", 4, "abc?"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cut(c.line, c.cols), c.out)
            << "case=" << testing::PrintToString(c.line) << " cols=" << c.cols;
    }
}

// A TAB reaches the next multiple of 8 columns from the start of the line, whatever comes
// before it; in the header it is one blank.
TEST(Width, TabsExpandToTheNextStopFromEveryOffset) {
    for (int before = 0; before <= 17; ++before) {
        for (const std::string& filler : {"x"s, e_acute}) {
            std::string prefix;
            for (int k = 0; k < before; ++k) {
                prefix += filler;
            }
            const int stop = (before / 8 + 1) * 8;
            const std::string context = "before=" + std::to_string(before) + " filler=" + filler;
            EXPECT_EQ(cut(prefix + "\ty", 80), prefix + std::string(stop - before, ' ') + "y")
                << context;
            EXPECT_EQ(shown_width(prefix + "\t", TabShow::to_tab_stop), stop) << context;
            // A TAB cut by the edge fills the row up to it.
            EXPECT_EQ(cut(prefix + "\ty", before + 1), prefix + " ") << context;
            EXPECT_EQ(cut(prefix + "\ty", stop), prefix + std::string(stop - before, ' '))
                << context;
            EXPECT_EQ(cut(prefix + "\ty", 80, TabShow::one_blank), prefix + " y") << context;
        }
    }
    // A wide character before the TAB counts its two columns.
    EXPECT_EQ(cut(han + han + han + "\ta", 80), han + han + han + "  a");
    EXPECT_EQ(cut("\t\t", 80), std::string(16, ' '));
}

// Cut at any width, the result is the filter's result cut: a prefix of it, no wider than the
// width, and as wide as fits.
TEST(Width, CutsAtEveryWidthArePrefixesOfTheFilteredLine) {
    const std::string lines[] = {
        "Gopher " + e_acute + zhe + han + grin + vs16 + "e" + acute + "\x1b(B!\x01\xe2\x82",
        han + "a" + han + han + "b" + grin + grin,
        "\tTAB" + han + "\tend\r",
    };
    for (const std::string& line : lines) {
        // TABs aside (which become blanks), the whole line cut is the filter's output.
        if (line.find('\t') == std::string::npos) {
            EXPECT_EQ(cut(line, 200), sanitize_untrusted(line));
        }
        const long whole = shown_width(line, TabShow::to_tab_stop);
        const std::string all = cut(line, 200);
        std::string previous;
        for (int cols = 0; cols <= whole + 1; ++cols) {
            std::string out;
            const int used = append_cut(out, line, cols, TabShow::to_tab_stop);
            const std::string context =
                "case=" + testing::PrintToString(line) + " cols=" + std::to_string(cols);
            EXPECT_LE(used, cols) << context;
            EXPECT_GE(used, cols - 1) << context; // only a wide character leaves a gap
            EXPECT_EQ(all.compare(0, out.size(), out), 0) << context;
            EXPECT_EQ(out.compare(0, previous.size(), previous), 0) << context;
            previous = out;
        }
    }
}

// In a cp1252 line every byte above 0x7f is one character of one column, shown in UTF-8.
TEST(Width, Cp1252LinesTakeOneColumnAByte) {
    const std::string latin = "caf\xe9 \x93x\x94\t\x81\x1b[1m\xff\x1b[0m\r";
    ASSERT_EQ(line_coding(latin), LineCoding::cp1252);
    EXPECT_EQ(shown_width(latin, TabShow::to_tab_stop, LineCoding::cp1252), 18);
    EXPECT_EQ(shown_width(latin, TabShow::one_blank, LineCoding::cp1252), 11);
    // Read as UTF-8 (as before), each stray byte is a "?" of one column too.
    EXPECT_EQ(shown_width(latin, TabShow::to_tab_stop), 18);
    const std::string e = "\xc3\xa9", open = "\xe2\x80\x9c", close = "\xe2\x80\x9d";
    const struct {
        int cols;
        std::string out;
    } cases[] = {
        {0, ""},
        {3, "caf"},
        {4, "caf" + e},
        {6, "caf" + e + " " + open},
        {8, "caf" + e + " " + open + "x" + close},
        {9, "caf" + e + " " + open + "x" + close + " "}, // the TAB cut at the edge
        {16, "caf" + e + " " + open + "x" + close + "        "},
        {17, "caf" + e + " " + open + "x" + close + "        ?"},
        {18, "caf" + e + " " + open + "x" + close + "        ?\xc3\xbf"},
        {80, "caf" + e + " " + open + "x" + close + "        ?\xc3\xbf"},
    };
    for (const auto& c : cases) {
        std::string out = "<";
        const int used = append_cut(out, latin, c.cols, TabShow::to_tab_stop, LineCoding::cp1252);
        EXPECT_EQ(out.substr(1), c.out) << "cols=" << c.cols;
        EXPECT_EQ(used, shown_width(out.substr(1), TabShow::to_tab_stop)) << "cols=" << c.cols;
    }
}

// One row of a line: a part of it (TAB stops from the line's start), the columns scrolled past
// on its left, and marked ranges.
TEST(Width, RowsShowPartsOfALineFromAColumnWithMarks) {
    const std::string han = "\xe6\xbc\xa2";
    const ByteRange cats[] = {{2, 5}, {9, 12}};
    const ByteRange middle[] = {{2, 5}};
    const struct {
        std::string line;
        LinePart part; // line filled in below
        long skip;
        int cols;
        std::span<const ByteRange> marks;
        std::string out;
        int used;
    } cases[] = {
        {"abc\tdef\r",
         {{}, 2, 8, 2, LineCoding::utf8},
         0,
         80,
         {},
         "c" + std::string(5, ' ') + "def",
         9},
        {"abc\tdef",
         {{}, 1, 6, 1, LineCoding::utf8},
         0,
         80,
         {},
         "bc" + std::string(5, ' ') + "de",
         9},
        {"x\xe9\xe8z", {{}, 1, 3, 1, LineCoding::cp1252}, 0, 80, {}, "\xc3\xa9\xc3\xa8", 2},
        // A CR ends the line only where the line ends, not where the part does.
        {"ab\rcd", {{}, 0, 3, 0, LineCoding::utf8}, 0, 80, {}, "ab?", 3},
        // Scrolled sideways: what straddles the edge shows as blanks, marks on a character
        // left out go with it.
        {"abcdef", {{}, 0, 6, 0, LineCoding::utf8}, 2, 3, {}, "cde", 3},
        {han + han + "x", {{}, 0, 7, 0, LineCoding::utf8}, 1, 80, {}, " " + han + "x", 4},
        {"a\tb", {{}, 0, 3, 0, LineCoding::utf8}, 4, 80, {}, "    b", 5},
        {"abc\xcc\x81"
         "d",
         {{}, 0, 6, 0, LineCoding::utf8},
         3,
         80,
         {},
         "d",
         1},
        {"abc", {{}, 0, 3, 0, LineCoding::utf8}, 9, 80, {}, "", 0},
        // Marks open and close around their bytes, and close at the cut.
        {"a cat, a Cat", {{}, 0, 12, 0, LineCoding::utf8}, 0, 80, cats, "a [cat], a [Cat]", 12},
        {"xxcatxx", {{}, 0, 7, 0, LineCoding::utf8}, 0, 4, middle, "xx[ca]", 4},
        {"a cat", {{}, 0, 5, 0, LineCoding::utf8}, 3, 80, middle, "[at]", 2},
    };
    for (const auto& c : cases) {
        LinePart part = c.part;
        part.line = c.line;
        std::string out;
        EXPECT_EQ(append_row(out, part, c.skip, c.cols, {c.marks, "[", "]"}), c.used)
            << "case=" << testing::PrintToString(c.line) << " skip=" << c.skip;
        EXPECT_EQ(out, c.out) << "case=" << testing::PrintToString(c.line) << " skip=" << c.skip;
    }
}

TEST(Width, AppendsToWhatIsThereAndKeepsLongMarkRunsBounded) {
    std::string out = "\x1b[1m";
    EXPECT_EQ(append_cut(out, "abc", 2, TabShow::to_tab_stop), 2);
    EXPECT_EQ(out, "\x1b[1mab");

    // A row of marks on one letter keeps a few of them, not the megabytes a server may send.
    std::string marks = "e";
    for (int k = 0; k < 10'000; ++k) {
        marks += acute;
    }
    marks += "z";
    std::string shown;
    EXPECT_EQ(append_cut(shown, marks, 10, TabShow::to_tab_stop), 2);
    EXPECT_LT(shown.size(), 100u);
    EXPECT_EQ(shown.back(), 'z');
}

} // namespace

namespace {

// The tail kept when a text's end matters: the most characters from the end that fit.
TEST(Width, TheFittingTailKeepsWholeCharactersFromTheEnd) {
    const struct {
        std::string line;
        int cols;
        std::string tail;
    } cases[] = {
        {"abcdef", 3, "def"},
        {"abc", 5, "abc"},
        {"", 5, ""},
        {"abc", 0, ""},
        {han + han + "a", 3, han + "a"},
        {han + "a", 2, "a"}, // the wide character does not fit beside it
        {e_acute + e_acute + e_acute, 2, e_acute + e_acute},
        {"https://example.org/" + grin + "/end", 6, grin + "/end"},
    };
    for (const auto& c : cases) {
        const std::size_t start = fitting_tail_start(c.line, c.cols, TabShow::one_blank);
        EXPECT_EQ(c.line.substr(start), c.tail)
            << "case=" << testing::PrintToString(c.line) << " cols=" << c.cols;
        EXPECT_LE(shown_width(c.line.substr(start), TabShow::one_blank), c.cols);
    }
}

} // namespace
