// Moving through a text by rows when long lines continue on the rows below them.
#include "nav/text_rows.hpp"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "nav/line_count.hpp"
#include "support/line_counts.hpp"
#include "support/text_places.hpp"
#include "term/wrap.hpp"

// Found by the tests' messages beside the record it prints.
void PrintTo(const RowPlace& place, std::ostream* out);
void PrintTo(const RowPlace& place, std::ostream* out) {
    *out << "{line " << place.line_index << ", row " << place.row << "}";
}

namespace {

std::string repeated(const std::string& piece, int times) {
    std::string out;
    for (int k = 0; k < times; ++k) {
        out += piece;
    }
    return out;
}

const std::string han = "\xe6\xbc\xa2";

// Small texts with every kind of long line, and the edges of the text itself.
const std::vector<std::string>& texts() {
    static const std::vector<std::string> all = {
        "",
        "\n",
        "a",
        "a\n\n",
        "one two three\n\nfour five six seven\n",
        repeated("lorem ipsum ", 17) + "\n" + repeated("x", 200) + "\nend",
        repeated(han, 100) + "\n" + repeated("ab\tc", 50) + "\r\n" + "short\r\n",
        "caf\xe9 " + repeated("cr\xe8me ", 33) + "\n\x1b[1mbold\x1b[0m " + repeated("y", 199),
    };
    return all;
}

// Every row of the text, found line by line from the start.
std::vector<RowPlace> all_rows(const TextRows& rows) {
    std::vector<RowPlace> places;
    const std::string_view text = rows.text;
    std::size_t at = 0;
    for (long index = 0; at < text.size(); ++index) {
        std::size_t end = text.find('\n', at);
        end = end == std::string_view::npos ? text.size() : end;
        const std::string_view line = text.substr(at, end - at);
        const long count = rows.wrap ? wrapped_rows(line, rows.room, line_coding(line)) : 1;
        for (long row = 0; row < count; ++row) {
            places.push_back({text.data() + at, index, row});
        }
        at = end + 1;
    }
    return places;
}

template <typename Check> void for_each_layout(Check check) {
    for (const std::string& text : texts()) {
        for (const int room : {1, 3, 8, 20, 80}) {
            for (const bool wrap : {true, false}) {
                const TextRows rows{text, room, wrap};
                const std::string context = "text=" + testing::PrintToString(text.substr(0, 20)) +
                                            " room=" + std::to_string(room) +
                                            " wrap=" + std::to_string(wrap);
                check(rows, all_rows(rows), context);
            }
        }
    }
}

TEST(TextRows, MovesByRowsAndStopsAtBothEnds) {
    for_each_layout([](const TextRows& rows, const std::vector<RowPlace>& all,
                       const std::string& context) {
        const auto total = static_cast<long>(all.size());
        if (total == 0) {
            RowPlace place = first_place(rows);
            EXPECT_EQ(move_rows_down(rows, &place, 3), 0) << context;
            EXPECT_EQ(move_rows_up(rows, &place, 3), 0) << context;
            EXPECT_EQ(last_screen(rows, 5, 0), first_place(rows)) << context;
            return;
        }
        EXPECT_EQ(first_place(rows), all.front()) << context;
        for (long from = 0; from < total; ++from) {
            for (long n : {0L, 1L, 2L, 7L, total}) {
                RowPlace down = all[static_cast<std::size_t>(from)];
                const long moved_down = move_rows_down(rows, &down, n);
                const long to_down = std::min(from + n, total - 1);
                EXPECT_EQ(moved_down, to_down - from) << context << " from=" << from << " n=" << n;
                EXPECT_EQ(down, all[static_cast<std::size_t>(to_down)]) << context;

                RowPlace up = all[static_cast<std::size_t>(from)];
                const long to_up = std::max(from - n, 0L);
                EXPECT_EQ(move_rows_up(rows, &up, n), from - to_up) << context;
                EXPECT_EQ(up, all[static_cast<std::size_t>(to_up)]) << context;
            }
        }
    });
}

TEST(TextRows, LastScreenAndBoundsKeepTheScreenFull) {
    for_each_layout(
        [](const TextRows& rows, const std::vector<RowPlace>& all, const std::string& context) {
            const auto total = static_cast<long>(all.size());
            if (total == 0) {
                return;
            }
            const long lines = lines_in(rows.text);
            for (long visible : {1L, 2L, 5L, total, total + 3}) {
                const long top = std::max(total - visible, 0L);
                EXPECT_EQ(last_screen(rows, visible, lines), all[static_cast<std::size_t>(top)])
                    << context << " visible=" << visible;
                for (long at = 0; at < total; ++at) {
                    const RowPlace place = all[static_cast<std::size_t>(at)];
                    EXPECT_EQ(rows_remain(rows, place, visible), at + visible <= total) << context;
                    EXPECT_EQ(bounded_place(rows, place, visible),
                              all[static_cast<std::size_t>(std::min(at, top))])
                        << context << " visible=" << visible << " at=" << at;
                }
            }
        });
}

// Drawn row by row from the top, every byte of every line is on some row, in order.
TEST(TextRows, RowsFromTheTopShowEveryByteInOrder) {
    for_each_layout(
        [](const TextRows& rows, const std::vector<RowPlace>& all, const std::string& context) {
            if (all.empty()) {
                return;
            }
            std::string joined;
            long count = 0;
            RowCursor cursor = row_cursor(rows, first_place(rows));
            for (;;) {
                EXPECT_EQ(cursor.place, all[static_cast<std::size_t>(count)]) << context;
                if (cursor.from == 0 && count > 0) {
                    joined += '\n';
                }
                joined += cursor.line.substr(cursor.from, cursor.end - cursor.from);
                ++count;
                // A cursor started anywhere agrees with the one that walked there.
                const RowCursor fresh = row_cursor(rows, cursor.place);
                EXPECT_EQ(fresh.from, cursor.from) << context;
                EXPECT_EQ(fresh.end, cursor.end) << context;
                if (!next_row(rows, &cursor)) {
                    break;
                }
            }
            EXPECT_EQ(count, static_cast<long>(all.size())) << context;
            std::string_view text = rows.text;
            if (text.back() == '\n') {
                text.remove_suffix(1);
            }
            EXPECT_EQ(joined, text) << context;
        });
}

TEST(TextRows, GoesToLinesAndKeepsItsTextAcrossAResize) {
    for_each_layout([](const TextRows& rows, const std::vector<RowPlace>& all,
                       const std::string& context) {
        for (const RowPlace& from : {all.empty() ? first_place(rows) : all.front(),
                                     all.empty() ? first_place(rows) : all.back()}) {
            for (long index = -1; index <= lines_in(rows.text) + 1; ++index) {
                const RowPlace place = line_place(rows, from, index);
                const long want = std::clamp(index, 0L, std::max(lines_in(rows.text) - 1, 0L));
                EXPECT_EQ(place.line_index, want) << context << " index=" << index;
                EXPECT_EQ(place.row, 0) << context;
                if (!all.empty()) {
                    const auto first = std::find_if(all.begin(), all.end(), [&](const RowPlace& p) {
                        return p.line_index == want;
                    });
                    EXPECT_EQ(place, *first) << context;
                }
            }
        }
        if (!rows.wrap) {
            return;
        }
        for (const int room : {1, 4, 13, 80}) {
            const TextRows after{rows.text, room, true};
            for (const RowPlace& place : all) {
                const RowCursor before = row_cursor(rows, place);
                const RowPlace moved = reflow_place(rows, after, place);
                const RowCursor now = row_cursor(after, moved);
                EXPECT_EQ(moved.line, place.line) << context;
                EXPECT_LE(now.from, before.from) << context << " room=" << room;
                EXPECT_TRUE(before.from < now.end || now.end == now.line.size())
                    << context << " room=" << room;
                EXPECT_EQ(clamp_place(after, {place.line, place.line_index, 1000}).row,
                          wrapped_rows(now.line, room, now.coding) - 1)
                    << context;
            }
        }
    });
}

} // namespace
