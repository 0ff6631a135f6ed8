// Long lines continued on the rows below.
#include "term/wrap.hpp"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "term/width.hpp"

namespace {

const std::string han = "\xe6\xbc\xa2"; // 2 columns
const std::string acute = "\xcc\x81";   // 0 columns, on the character before
const std::string e_acute = "\xc3\xa9"; // 1 column
const std::string red = "\x1b[31m";     // no columns

// The rows of line as pieces of its bytes.
std::vector<std::string> rows_of(const std::string& line, int room,
                                 LineCoding coding = LineCoding::utf8) {
    std::vector<std::string> rows;
    std::size_t from = 0;
    long col = 0;
    do {
        const WrappedRow row = next_wrapped_row(line, from, col, room, coding);
        EXPECT_EQ(row.end, row.next);
        if (!line.empty()) {
            EXPECT_GT(row.next, from) << "no progress";
        }
        rows.push_back(line.substr(from, row.end - from));
        from = row.next;
        col = row.next_col;
    } while (from < line.size());
    return rows;
}

using Rows = std::vector<std::string>;

TEST(Wrap, BreaksAfterTheLastBlankOrAtTheEdge) {
    const struct {
        std::string line;
        int room;
        Rows rows;
    } cases[] = {
        {"", 5, {""}},
        {"short", 5, {"short"}},
        {"short", 80, {"short"}},
        {"one two three", 8, {"one two ", "three"}},
        {"one two three", 7, {"one ", "two ", "three"}},
        {"abcdefghij", 4, {"abcd", "efgh", "ij"}},
        {"ab cdefghij", 4, {"ab ", "cdef", "ghij"}},
        {"abcd efgh", 4, {"abcd", " ", "efgh"}}, // the blank past the edge is not within
        {"abc  def", 4, {"abc ", " def"}},
        {"a     b", 3, {"a  ", "   ", "b"}},
        // Wide characters go whole to the next row.
        {"a" + han + han, 4, {"a" + han, han}},
        {han + han + han, 5, {han + han, han}},
        {han + "x", 1, {han, "x"}}, // wider than the room: alone on its row
        // Zero-width pieces stay with the character before them.
        {"abc" + acute + "d", 3, {"abc" + acute, "d"}},
        {"abc" + red + "d", 3, {"abc" + red, "d"}},
        {"ab " + acute + "cd", 4, {"ab " + acute, "cd"}},
        {"abc\r", 3, {"abc\r"}},
        {"abc\rd", 3, {"abc", "\rd"}}, // a CR inside the line is a "?"
        // TABs reach the next stop from the start of the line, and go whole to the next row
        // when they do not fit; only a space is a blank to break after.
        {"ab\tcd", 10, {"ab\tcd"}},
        {"ab\tcd", 6, {"ab", "\t", "cd"}}, // the TAB from column 2 still takes 6
        {"abcdefgh\tx", 8, {"abcdefgh", "\t", "x"}},
        {"abcdefg\tx", 8, {"abcdefg\t", "x"}}, // one column, to stop 8
        {"\t\t\tx", 20, {"\t\t", "\tx"}},
        {"\tab cd", 10, {"\tab", " cd"}},
        {"\tab cd", 11, {"\tab ", "cd"}},
        {"ab cdefg\tx", 10, {"ab ", "cdefg", "\tx"}},
        {"x\tyyyyy zz", 12, {"x\tyyyy", "y zz"}},
        {"abcd\t\tx", 12, {"abcd\t", "\tx"}},
        {"\tx", 4, {"\t", "x"}}, // wider than the room: alone on its row
        // A cp1252 line: a byte, a column.
        {"caf\xe9 cr\xe8me", 5, {"caf\xe9 ", "cr\xe8me"}},
    };
    for (const auto& c : cases) {
        const LineCoding coding = line_coding(c.line);
        EXPECT_EQ(rows_of(c.line, c.room, coding), c.rows)
            << "case=" << testing::PrintToString(c.line) << " room=" << c.room;
        EXPECT_EQ(wrapped_rows(c.line, c.room, coding), static_cast<long>(c.rows.size()))
            << "case=" << testing::PrintToString(c.line) << " room=" << c.room;
    }
}

std::string repeated(const std::string& piece, int times) {
    std::string out;
    for (int k = 0; k < times; ++k) {
        out += piece;
    }
    return out;
}

// Lines of 200 columns and more at many rooms: every byte on one row, in order; no row wider
// than the room; a row breaks at the edge only when it holds no blank; the columns reported
// are those drawn; and row starts found afresh agree.
TEST(Wrap, LongLinesKeepEveryCharacterInOrderWithinTheRoom) {
    const std::string lines[] = {
        repeated("lorem ipsum dolor ", 12),
        repeated("x", 200),
        repeated(han, 100),
        repeated("a" + han, 70),
        repeated("ab\tc", 50),
        repeated("w" + acute + red + " " + e_acute + "\x01", 40),
        repeated("caf\xe9 \x93qu\x94\t", 20) + "\r",
    };
    for (const std::string& line : lines) {
        const LineCoding coding = line_coding(line);
        for (int room : {1, 2, 3, 5, 7, 8, 9, 16, 79, 80, 300}) {
            const std::string context = "case=" + testing::PrintToString(line.substr(0, 30)) +
                                        " room=" + std::to_string(room);
            std::string joined;
            std::size_t from = 0;
            long col = 0;
            long count = 0;
            do {
                const RowStart start = wrapped_row_start(line, count, room, coding);
                EXPECT_EQ(start.at, from) << context;
                EXPECT_EQ(start.col, col) << context;
                const WrappedRow row = next_wrapped_row(line, from, col, room, coding);
                const std::string_view piece = std::string_view(line).substr(from, row.end - from);
                joined += piece;
                std::string drawn;
                const int used = append_row(drawn, {line, from, row.end, col, coding}, 0, room);
                if (row.cols <= room) {
                    EXPECT_EQ(used, row.cols) << context << " row=" << count;
                } else {
                    // Alone on its row: a wide character (left out) or a TAB (cut to the room)
                    // wider than the room.
                    EXPECT_TRUE((used == 0 && row.cols == 2) || used == room)
                        << context << " row=" << count;
                }
                const bool last = row.next >= line.size();
                const std::string_view after = std::string_view(line).substr(row.next);
                if (!last && row.cols < room - 1) {
                    // Short of the edge: it ended after a blank, or before a TAB that did not
                    // fit.
                    EXPECT_TRUE(piece.find(' ') != std::string_view::npos || after[0] == '\t')
                        << context << " row=" << count;
                }
                // Columns run on from row to row, so TAB stops count from the line's start.
                EXPECT_EQ(row.next_col, col + row.cols) << context << " row=" << count;
                from = row.next;
                col = row.next_col;
                ++count;
            } while (from < line.size());
            EXPECT_EQ(joined, line) << context;
            EXPECT_EQ(wrapped_rows(line, room, coding), count) << context;
            EXPECT_EQ(wrapped_row_start(line, count, room, coding).at, line.size()) << context;
        }
    }
}

} // namespace
