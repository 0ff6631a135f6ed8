// Finding text as it is shown: in a text's lines, in a line for drawing, in a menu.
#include "nav/find.hpp"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "nav/line_count.hpp"
#include "support/line_counts.hpp"

namespace {

struct Found {
    FindStatus status;
    long line_index;
    bool wrapped;
    bool operator==(const Found&) const = default;
};

void PrintTo(const Found& found, std::ostream* out) {
    *out << "{status " << static_cast<int>(found.status) << ", line " << found.line_index
         << ", wrapped " << found.wrapped << "}";
}

const char* start_of_line(std::string_view text, long index) {
    const char* at = text.data();
    for (long k = 0; k < index; ++k) {
        at += std::string_view(at, text.data() + text.size() - at).find('\n') + 1;
    }
    return at;
}

// Runs a search to its end in steps of `budget` bytes, checking the line it reports.
Found search(std::string_view text, long from, std::string_view needle, FindDirection direction,
             bool include_start, std::size_t budget = 1) {
    const FindText in{text, lines_in(text), needle};
    const auto offset = [&](long index) {
        return static_cast<std::size_t>(start_of_line(text, index) - text.data());
    };
    FindState state = find_start(in, offset(from), from, direction, include_start);
    for (int steps = 0; steps < 1000; ++steps) {
        const FindResult result = find_step(state, in, budget);
        if (result.status == FindStatus::found) {
            EXPECT_EQ(result.line, offset(result.line_index));
            return {result.status, result.line_index, result.wrapped};
        }
        if (result.status == FindStatus::no_match) {
            return {result.status, -1, false};
        }
    }
    ADD_FAILURE() << "the search never ended";
    return {FindStatus::searching, -1, false};
}

constexpr auto fwd = FindDirection::forward;
constexpr auto back = FindDirection::backward;
constexpr auto none = Found{FindStatus::no_match, -1, false};
constexpr Found at(long line, bool wrapped = false) {
    return {FindStatus::found, line, wrapped};
}

TEST(Find, NextAndPreviousLineWithAMatchGoingRoundTheEnds) {
    const std::string text = "alpha\n"        // 0
                             "Gopher hole\n"  // 1
                             "beta\n"         // 2
                             "the GOPHER\r\n" // 3
                             "gamma";         // 4
    const struct {
        long from;
        std::string needle;
        FindDirection direction;
        bool include_start;
        Found found;
    } cases[] = {
        {0, "gopher", fwd, true, at(1)},
        {1, "gopher", fwd, true, at(1)},
        {1, "gopher", fwd, false, at(3)},
        {3, "gopher", fwd, false, at(1, true)},
        {4, "alpha", fwd, false, at(0, true)},
        {4, "gamma", fwd, false, at(4, true)}, // only the line it started from
        {4, "gamma", fwd, true, at(4)},
        {4, "gopher", back, true, at(3)},
        {3, "gopher", back, false, at(1)},
        {1, "gopher", back, false, at(3, true)},
        {0, "gamma", back, false, at(4, true)},
        {2, "ETA", fwd, true, at(2)},
        {0, "zebra", fwd, true, none},
        {2, "zebra", back, false, none},
        {0, "", fwd, true, none},
        {0, "gopher\r", fwd, true, none}, // the CR that ends a line is not shown
        {0, "a\ng", fwd, true, none},     // nor does a match span lines
    };
    for (const auto& c : cases) {
        for (const std::size_t budget : {std::size_t{1}, std::size_t{1} << 20}) {
            EXPECT_EQ(search(text, c.from, c.needle, c.direction, c.include_start, budget), c.found)
                << "from=" << c.from << " needle=" << c.needle << " budget=" << budget;
        }
    }
    EXPECT_EQ(search("", 0, "a", fwd, true), none);
    EXPECT_EQ(search("\n\n", 0, "a", back, true), none);
    EXPECT_EQ(search("x\n", 0, "x", back, false), at(0, true));
}

// What is searched is what is shown: a match hidden in an escape sequence is not found, one
// cut by a sequence is; cp1252 lines are searched as their characters.
TEST(Find, MatchesTheShownTextNotTheBytes) {
    const struct {
        std::string line;
        std::string needle;
        bool found;
    } cases[] = {
        {"\x1b[31mred\x1b[0m", "31m", false},
        {"\x1b]0;secret\x07shown", "secret", false},
        {"\x1b]0;secret\x07shown", "SHOWN", true},
        {"wo\x1b[1mrd", "word", true},
        {"a\x01"
         "b",
         "a?b", true},
        {"tab\there", "tab\there", true},
        {"tab\there", "tab here", false},
        {"caf\xe9 cr\xe8me", "caf\xc3\xa9", true},
        {"caf\xe9 cr\xe8me", "CAF\xc3\xa9", true},
        {"caf\xc3\xa9", "CAF\xc3\xa9", true},
        // Every letter Unicode folds, in UTF-8 and cp1252 lines alike.
        {"caf\xc3\xa9", "CAF\xc3\x89", true},
        {"CR\xc3\x88ME", "cr\xc3\xa8me", true},
        {"CR\xc8ME \x1b[1m", "cr\xc3\xa8me", true}, // cp1252
        {"\x8a"
         "koda",
         "\xc5\xa1koda", true}, // cp1252 0x8a is "\u0160"
        {"stra\xc3\x9f"
         "e",
         "STRASSE", true}, // full folding
        {"STRASSE",
         "stra\xc3\x9f"
         "e",
         true},
        {"stra\xdf"
         "e",
         "strasse", true}, // the same in cp1252
        {"\xce\xa3\xce\x9f\xce\xa6\xce\x9f\xce\xa3", "\xcf\x83\xce\xbf\xcf\x86\xce\xbf\xcf\x82",
         true},
        {"\xe2\x84\xaa"
         "elvin",
         "kelvin", true}, // the Kelvin sign folds to k
        {"\xe2\x84\xaa"
         "elvin",
         "KELVIN", true},
        {"kelvin",
         "\xe2\x84\xaa"
         "ELVIN",
         true},
        {"\xd0\x9c\xd0\x98\xd0\xa0", "\xd0\xbc\xd0\xb8\xd1\x80", true}, // Cyrillic
        {"cafe", "caf\xc3\xa9", false},                                 // an accent is not a case
        {"\xe4\xb8\xad\xe6\x96\x87", "\xe6\x96\x87", true},
        {"\x93quoted\x94\x1b[m", "\xe2\x80\x9cquoted\xe2\x80\x9d", true},
        {"\xc2\x9b"
         "1m",
         "?1m", true},
        {std::string(300, 'x') + "\x1b[m" + std::string(300, 'y'), "xy", true},
    };
    for (const auto& c : cases) {
        const std::string context =
            "case=" + testing::PrintToString(c.line) + " needle=" + c.needle;
        const std::string text = "first line\n" + c.line + "\nlast line\n";
        EXPECT_EQ(search(text, 0, c.needle, fwd, true), c.found ? at(1) : none) << context;
        EXPECT_EQ(find_in_line(c.line, c.needle, line_coding(c.line)).empty(), !c.found) << context;
        const std::string_view displays[] = {"first", c.line, "last"};
        EXPECT_EQ(find_item(displays, 0, c.needle, fwd, true).index, c.found ? 1 : -1) << context;
    }
}

// For drawing: the matches marked on a row as it shows them, whole pieces of the filter.
TEST(Find, MatchesMarkedOnARow) {
    const auto marked = [](std::string_view line, std::size_t from, std::size_t end, long col,
                           std::string_view needle) {
        const LineCoding coding = line_coding(line);
        const std::vector<MatchSpan> matches = find_in_line(line, needle, coding);
        std::string out;
        append_row(out, {line, from, end, col, coding}, 0, 80, {matches, "[", "]"});
        return out;
    };
    EXPECT_EQ(marked("a cat, a Cat, CAT", 0, 17, 0, "cat"), "a [cat], a [Cat], [CAT]");
    EXPECT_EQ(marked("aaaa", 0, 4, 0, "aa"), "[aaaa]"); // two matches side by side
    EXPECT_EQ(marked("aaa", 0, 3, 0, "aa"), "[aa]a");   // not overlapping
    EXPECT_EQ(marked("x\tcat", 0, 5, 0, "cat"), "x" + std::string(7, ' ') + "[cat]");
    EXPECT_EQ(marked("\x1b[1mcat\x1b[0m dog", 0, 15, 0, "cat"), "[cat] dog");
    EXPECT_EQ(marked("\xe6\xbc\xa2\xe6\xbc\xa2x", 0, 7, 0, "\xe6\xbc\xa2x"),
              "\xe6\xbc\xa2[\xe6\xbc\xa2x]");
    EXPECT_EQ(marked("caf\xe9 caf\xe9", 0, 9, 0, "\xc3\xa9"), "caf[\xc3\xa9] caf[\xc3\xa9]");
    EXPECT_EQ(marked("caf\xe9 CAF\xc9", 0, 9, 0, "\xc3\xa9"), "caf[\xc3\xa9] CAF[\xc3\x89]");
    EXPECT_EQ(marked("Stra\xc3\x9f"
                     "e, strasse",
                     0, 16, 0, "SS"),
              "Stra[\xc3\x9f]e, stra[ss]e");
    EXPECT_EQ(marked("\xc3\x9f\xc3\x9f", 0, 4, 0, "sss"), "[\xc3\x9f\xc3\x9f]"); // a fold cut
    EXPECT_EQ(marked("x \xe2\x84\xaa K k", 0, 9, 0, "k"), "x [\xe2\x84\xaa] [K] [k]");
    // Rows of a wrapped line: a match cut by the row's ends is marked on both.
    EXPECT_EQ(marked("one two three", 4, 8, 4, "two thr"), "[two ]");
    EXPECT_EQ(marked("one two three", 8, 13, 8, "two thr"), "[thr]ee");
    EXPECT_EQ(marked("one two three", 0, 4, 0, "two"), "one ");
}

TEST(Find, MenuItemsRoundTheEnds) {
    const std::string_view displays[] = {"About this server", "Gopher news", "Weather",
                                         "More GOPHER links"};
    const struct {
        long from;
        std::string needle;
        FindDirection direction;
        bool include_from;
        long index;
        bool wrapped;
    } cases[] = {
        {0, "gopher", fwd, true, 1, false},  {1, "gopher", fwd, true, 1, false},
        {1, "gopher", fwd, false, 3, false}, {3, "gopher", fwd, false, 1, true},
        {0, "gopher", back, false, 3, true}, {3, "gopher", back, false, 1, false},
        {2, "weather", fwd, false, 2, true}, {2, "nothing", fwd, true, -1, false},
        {0, "", fwd, true, -1, false},
    };
    for (const auto& c : cases) {
        const ItemFound found = find_item(displays, c.from, c.needle, c.direction, c.include_from);
        EXPECT_EQ(found.index, c.index) << "from=" << c.from << " needle=" << c.needle;
        EXPECT_EQ(found.wrapped, c.wrapped) << "from=" << c.from << " needle=" << c.needle;
    }
    EXPECT_EQ(find_item({}, 0, "x", fwd, true).index, -1);
}

// A search in steps looks at no more than its budget (and the line it is in) per step.
TEST(Find, StepsStayWithinTheirBudget) {
    std::string text;
    for (int k = 0; k < 1000; ++k) {
        text += "line of plain text number " + std::to_string(k) + "\n";
    }
    text += "the needle\n";
    const FindText in{text, lines_in(text), "NEEDLE"};
    FindState state = find_start(in, 0, 0, fwd, true);
    int steps = 0;
    FindResult result;
    do {
        result = find_step(state, in, 4096);
        ++steps;
    } while (result.status == FindStatus::searching && steps < 1000);
    EXPECT_EQ(result.status, FindStatus::found);
    EXPECT_EQ(result.line_index, 1000);
    EXPECT_GE(steps, static_cast<int>(text.size() / (4096 + 40)));
}

} // namespace
