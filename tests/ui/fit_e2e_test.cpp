// Every row fits the window, seen through a terminal: long menu items, texts with TABs and wide
// characters, a long address in a narrow prompt, redraws on resize, and random pages at random
// window sizes.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <utf8proc.h>
#include <vector>

#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"
#include "support/untrusted_text.hpp"
#include "term/untrusted.hpp"

using namespace e2e;

namespace {

const std::string han = "\xe6\xbc\xa2"; // 2 columns
const std::string e_acute = "\xc3\xa9"; // 1 column

// What a row shows of line in max_cols columns, found the slow way: the filtered line, one
// character at a time with its width from the Unicode tables; a TAB reaches the next multiple
// of 8 columns.
std::string reference_cut(std::string_view line, int max_cols) {
    const std::string shown = sanitize_untrusted(line, line_coding(line));
    std::string out;
    int cols = 0;
    for (std::size_t i = 0; i < shown.size();) {
        utf8proc_int32_t code_point = 0;
        const auto length =
            utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(shown.data() + i),
                             static_cast<utf8proc_ssize_t>(shown.size() - i), &code_point);
        const bool tab = code_point == '\t';
        const int width = tab ? 8 - cols % 8 : utf8proc_charwidth(code_point);
        if (cols + width > max_cols) {
            if (tab) {
                out.append(static_cast<std::size_t>(max_cols - cols), ' ');
            }
            break;
        }
        out += tab ? std::string(static_cast<std::size_t>(width), ' ')
                   : shown.substr(i, static_cast<std::size_t>(length));
        cols += width;
        i += static_cast<std::size_t>(length);
    }
    return out;
}

// The rows a text line takes in room columns, found the slow way: each character of the
// filtered line with its width (a TAB's from the line's start), a row ending after its last
// blank when the next character does not fit, else before that character; zero-width ones go
// with the character before them. A character wider than the room has a row to itself, where a
// TAB is cut to the room and a wide character left out.
std::vector<std::string> reference_rows(std::string_view line, int room) {
    struct Piece {
        std::string shown;
        int width;
        bool blank;
    };
    const std::string shown = sanitize_untrusted(line, line_coding(line));
    std::vector<std::string> rows;
    std::vector<Piece> row;
    int used = 0;
    const auto end_row = [&](std::size_t k) {
        std::string out;
        int width = 0;
        for (std::size_t i = 0; i < k; ++i) {
            out += row[i].shown;
            width += row[i].width;
        }
        if (width > room) {
            out = row[0].shown[0] == ' ' ? std::string(static_cast<std::size_t>(room), ' ') : "";
        }
        rows.push_back(out);
        row.erase(row.begin(), row.begin() + static_cast<std::ptrdiff_t>(k));
        used = 0;
        for (const Piece& piece : row) {
            used += piece.width;
        }
    };
    long col = 0;
    for (std::size_t i = 0; i < shown.size();) {
        utf8proc_int32_t code_point = 0;
        const auto length =
            utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(shown.data() + i),
                             static_cast<utf8proc_ssize_t>(shown.size() - i), &code_point);
        const bool tab = code_point == '\t';
        const int width = tab ? static_cast<int>(8 - col % 8) : utf8proc_charwidth(code_point);
        const Piece piece{tab ? std::string(static_cast<std::size_t>(width), ' ')
                              : shown.substr(i, static_cast<std::size_t>(length)),
                          width, code_point == ' '};
        i += static_cast<std::size_t>(length);
        col += width;
        while (width > 0 && used + width > room && !row.empty()) {
            std::size_t blank = row.size();
            for (std::size_t k = row.size(); k-- > 0;) {
                if (row[k].blank) {
                    blank = k;
                    break;
                }
            }
            if (blank == row.size()) {
                end_row(row.size());
                break;
            }
            std::size_t k = blank + 1;
            while (k < row.size() && row[k].width == 0) {
                ++k;
            }
            end_row(k);
        }
        row.push_back(piece);
        used += width;
        if (used > room) {
            end_row(row.size()); // wider than the whole room: alone
        }
    }
    if (!row.empty() || rows.empty()) {
        end_row(row.size());
    }
    return rows;
}

int content_col(int cols) {
    return cols > 78 ? (cols - 78) / 2 + 1 : 1;
}

// Columns from the content column to the window's last.
int room(int cols) {
    return cols - content_col(cols) + 1;
}

int text_cut(int cols) {
    return room(cols) < 78 ? room(cols) : 78;
}

PtyOptions window(int rows, int cols) {
    PtyOptions options;
    options.rows = rows;
    options.cols = cols;
    return options;
}

bool header_on_row_one(const PtyRun& run) {
    return look_at(run, 1, (screen_cols(run) + 1) / 2).bg == colour::dark_blue;
}

// The header on row 1, each content row as given (missing ones blank), nothing else anywhere.
bool screen_is(const PtyRun& run, const std::vector<std::string>& content) {
    if (!header_on_row_one(run)) {
        return false;
    }
    const int rows = screen_rows(run);
    for (int row = 2; row <= rows; ++row) {
        const std::size_t k = static_cast<std::size_t>(row - 4);
        const bool has = row >= 4 && row < rows && k < content.size();
        if (row_text(run, row) != (has ? content[k] : "")) {
            return false;
        }
        if (look_at(run, row, 1).bg == colour::dark_blue) {
            return false;
        }
    }
    return true;
}

std::string describe(const std::vector<std::string>& content) {
    std::string text;
    for (const std::string& row : content) {
        text += row + "\n";
    }
    return text;
}

// The first row that differs from what screen_is wants, with the bytes the program wrote there.
std::string first_difference(const PtyRun& run, const std::vector<std::string>& content) {
    for (int row = 4; row < screen_rows(run); ++row) {
        const std::size_t k = static_cast<std::size_t>(row - 4);
        const std::string wanted = k < content.size() ? content[k] : "";
        if (row_text(run, row) != wanted) {
            const std::string move = "\033[" + std::to_string(row) + ";";
            const std::size_t at = run.output.rfind(move);
            return "row " + std::to_string(row) + " is\n" + row_text(run, row) + "\nwanted\n" +
                   wanted + "\nwritten: " +
                   testing::PrintToString(at == std::string::npos ? ""
                                                                  : run.output.substr(at, 600));
        }
    }
    return "rows 4 on as wanted";
}

TEST(FitScreen, LongMenuItemEndsAtTheLastColumn) {
    std::string display;
    for (int i = 0; i < 103; ++i) {
        display += static_cast<char>('a' + i % 26);
    }
    for (const auto& [rows, cols] : {std::pair{24, 80}, {12, 40}}) {
        SCOPED_TRACE(::testing::Message() << rows << "x" << cols);
        auto server = start_gopher_server();
        serve(*server, "",
              Script{menu_line('0', display, "/long", "127.0.0.1", server->port) +
                     menu_line('1', "Next", "/next", "127.0.0.1", server->port)});
        auto run = start_program({address_of(*server)}, window(rows, cols));
        const std::vector<std::string> wanted = {
            at_column(content_col(cols), "->" + display.substr(0, room(cols) - 2)),
            at_column(content_col(cols), "  Next")};
        ASSERT_TRUE(wait_until(*run, [&] { return screen_is(*run, wanted); }))
            << screen_text(*run) << "wanted:\n"
            << describe(wanted);
        EXPECT_EQ(run->scrolled_lines, 0);
    }
}

TEST(FitScreen, TextWithTabsAndWideCharactersIsWrappedOrCutByColumns) {
    std::string fifty_acute;
    std::string many_han = "x";
    for (int i = 0; i < 50; ++i) {
        fifty_acute += e_acute;
        many_han += han;
    }
    const std::string text =
        "a\tb\r\n" + han + "\t|\r\n" + many_han + "\r\n" + fifty_acute + "\r\nend\r\n";
    struct Case {
        int rows, cols;
        std::vector<std::string> wrapped; // as shown from the content column
        std::vector<std::string> cut;     // the same after `w`
    };
    auto repeat = [](const std::string& piece, int n) {
        std::string out;
        for (int i = 0; i < n; ++i) {
            out += piece;
        }
        return out;
    };
    const Case cases[] = {
        // 1 + 2 x 38 = 77 columns: a 39th would pass the 78th, so it starts the next row.
        {24,
         80,
         {"a       b", han + "      |", "x" + repeat(han, 38), repeat(han, 12), fifty_acute, "end"},
         {"a       b", han + "      |", "x" + repeat(han, 38), fifty_acute, "end"}},
        // 40 columns: the 20th wide character would straddle the last column.
        {12,
         40,
         {"a       b", han + "      |", "x" + repeat(han, 19), repeat(han, 20), repeat(han, 11),
          repeat(e_acute, 40), repeat(e_acute, 10), "end"},
         {"a       b", han + "      |", "x" + repeat(han, 19), repeat(e_acute, 40), "end"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.rows << "x" << c.cols);
        auto server = start_gopher_server();
        serve(*server, "/doc", Script{text});
        auto run = start_program({address_of(*server, "/0/doc")}, window(c.rows, c.cols));
        for (const auto* lines : {&c.wrapped, &c.cut}) {
            std::vector<std::string> wanted;
            for (const std::string& line : *lines) {
                wanted.push_back(at_column(content_col(c.cols), line));
            }
            ASSERT_TRUE(wait_until(*run, [&] { return screen_is(*run, wanted); }))
                << screen_text(*run) << "wanted:\n"
                << describe(wanted);
            send_keys(*run, "w");
        }
        EXPECT_EQ(run->scrolled_lines, 0);
    }
}

// Waits for the bottom row to show the label and typed text, the cursor at column cursor_col.
bool prompt_row_is(PtyRun& run, int rows, const std::string& shown, int cursor_col) {
    return wait_until(run, [&] {
        const CursorState at = cursor(run);
        return row_text(run, rows) == shown && at.row == rows && at.col == cursor_col && at.visible;
    });
}

TEST(FitScreen, LongAddressShowsItsTailAndIsSentWhole) {
    constexpr int rows = 12;
    constexpr int cols = 40;
    auto server = start_gopher_server();
    serve(*server, "/doc", Script{"Start\r\n"});
    auto run = start_program({address_of(*server, "/0/doc")}, window(rows, cols));
    ASSERT_TRUE(wait_for_row(*run, 4, "Start")) << screen_text(*run);

    const std::string start = "127.0.0.1:" + std::to_string(server->port) + "/0/";
    std::string typed = start;
    for (int i = 0; typed.size() < 200; ++i) {
        typed += static_cast<char>('a' + i % 26);
    }
    // "Open URL: " takes columns 1 to 10; the input 11 to 39; the cursor stays on 40.
    constexpr int field = cols - 11;
    auto tail = [&](const std::string& text) {
        return text.substr(text.size() > field ? text.size() - field : 0);
    };
    send_keys(*run, "o");
    ASSERT_TRUE(prompt_row_is(*run, rows, "Open URL:", 11)) << screen_text(*run);
    send_keys(*run, typed);
    ASSERT_TRUE(prompt_row_is(*run, rows, "Open URL: " + tail(typed), cols)) << screen_text(*run);

    // Each Backspace takes off the character at the end, and the tail shifts to show one more.
    send_keys(*run, "\x7f\x7f\x7f");
    typed.resize(typed.size() - 3);
    ASSERT_TRUE(prompt_row_is(*run, rows, "Open URL: " + tail(typed), cols)) << screen_text(*run);
    // Down to what fits: from then on the echo is the short one, the cursor follows the text.
    const std::string backs(typed.size() - (start.size() + 5), '\b');
    send_keys(*run, backs);
    typed.resize(start.size() + 5);
    ASSERT_TRUE(
        prompt_row_is(*run, rows, "Open URL: " + typed, 11 + static_cast<int>(typed.size())))
        << screen_text(*run);
    send_keys(*run, std::string(180, 'z'));
    typed += std::string(180, 'z');
    ASSERT_TRUE(prompt_row_is(*run, rows, "Open URL: " + tail(typed), cols)) << screen_text(*run);

    const std::string selector = "/" + typed.substr(start.size());
    serve(*server, selector, Script{"Found\r\n"});
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_row(*run, 4, "Found")) << screen_text(*run);
    EXPECT_EQ(requests(*server).back(), selector + "\r\n");
    EXPECT_EQ(run->scrolled_lines, 0);
}

TEST(FitScreen, PromptAndMessageTakeTheOneRowOfATinyWindow) {
    auto server = start_gopher_server();
    serve(*server, "", Script{menu_line('0', "Doc", "/doc", "127.0.0.1", server->port)});
    auto run = start_program({address_of(*server)}, window(1, 30));
    ASSERT_TRUE(wait_until(*run, [&] { return header_on_row_one(*run); })) << screen_text(*run);
    send_keys(*run, "o");
    ASSERT_TRUE(prompt_row_is(*run, 1, "Open URL:", 11)) << screen_text(*run);
    send_keys(*run, "-x\r");
    // Cut at column 29: the last stays free.
    ASSERT_TRUE(wait_for_row(*run, 1, "Error: Invalid Gopher address")) << screen_text(*run);
    EXPECT_EQ(look_at(*run, 1, 1), (Look{colour::red, colour::none, true}));
    EXPECT_EQ(run->scrolled_lines, 0);
}

TEST(FitScreen, ResizeRedrawsAnOpenPromptOverItsView) {
    auto server = start_gopher_server();
    serve(*server, "/doc", Script{"First line\r\nSecond line\r\n"});
    auto run = start_program({address_of(*server, "/0/doc")}, window(24, 80));
    ASSERT_TRUE(wait_for_row(*run, 4, " First line")) << screen_text(*run);
    send_keys(*run, "o");
    ASSERT_TRUE(prompt_row_is(*run, 24, "Open URL:", 11)) << screen_text(*run);
    send_keys(*run, "abc");
    ASSERT_TRUE(prompt_row_is(*run, 24, "Open URL: abc", 14)) << screen_text(*run);

    resize(*run, 12, 40);
    const std::vector<std::string> view = {"First line", "Second line"};
    ASSERT_TRUE(wait_until(*run, [&] {
        const CursorState at = cursor(*run);
        return row_text(*run, 12) == "Open URL: abc" && at.row == 12 && at.col == 14 &&
               row_text(*run, 4) == view[0] && row_text(*run, 5) == view[1];
    })) << screen_text(*run);
    // The header is drawn for the new width, and nothing of the old picture remains.
    const std::string url = url_of(*server, "/0/doc");
    EXPECT_EQ(row_text(*run, 1), at_column((40 - static_cast<int>(url.size())) / 2, url));
    for (int row = 2; row < 12; ++row) {
        EXPECT_EQ(row_text(*run, row), row == 4 || row == 5 ? view[row - 4] : "") << row;
    }
    // The typed text survived the resize.
    send_keys(*run, "\x7f");
    ASSERT_TRUE(prompt_row_is(*run, 12, "Open URL: ab", 13)) << screen_text(*run);
    send_keys(*run, "\033");
    ASSERT_TRUE(wait_until(*run, [&] {
        return row_text(*run, 12).empty() && !cursor(*run).visible;
    })) << screen_text(*run);
}

TEST(FitScreen, AboutScreenRedrawsAtTheNewSizeAndTakesTheWholeClosingKey) {
    auto server = start_gopher_server();
    serve(*server, "/doc", Script{"Line one\r\nLine two\r\nLine three\r\n"});
    auto run = start_program({address_of(*server, "/0/doc")}, window(24, 80));
    ASSERT_TRUE(wait_for_row(*run, 4, " Line one")) << screen_text(*run);
    send_keys(*run, "a");
    ASSERT_TRUE(wait_for_text(*run, "Shortcuts:")) << screen_text(*run);

    resize(*run, 12, 40);
    // At 12x40 the block starts on row 3 at column 7; the rows below the window are left out.
    ASSERT_TRUE(wait_for_row(*run, 9, at_column(7, "Shortcuts:"))) << screen_text(*run);
    EXPECT_EQ(row_text(*run, 3), at_column(7, "Welcome to Kesmor 0.9.0!"));
    EXPECT_EQ(row_text(*run, 12), at_column(7, "        b: Back"));
    EXPECT_EQ(run->scrolled_lines, 0);

    // An arrow closes it, whole: the text has not scrolled.
    send_keys(*run, "\033[B");
    ASSERT_TRUE(wait_for_row(*run, 4, "Line one")) << screen_text(*run);
    EXPECT_EQ(row_text(*run, 5), "Line two");
}

// Pieces of random pages: characters of every width, TABs, and bytes that would drive a
// terminal if they reached it. The wide ones are left out of one-column windows, where the
// emulator (libvterm 0.1.4) crashes on them.
constexpr std::array<std::string_view, 22> narrow_pieces = {
    "word ",
    "Gopher ",
    "the quick brown fox ",
    "\xc3\xa9",
    "\xd0\x96\xd0\xb8\xd0\xb7",
    "e\xcc\x81",
    "\x01\x07\x08",
    "\x7f",
    "\xff",
    "\xc3",
    "\033[2J",
    "\033[31m",
    "\033[?1049h",
    "\033]0;title\007",
    "\033(B",
    "\033#8",
    "\033[1;999r",
    "\033[10;10H",
    "\033c",
    "\033",
    "\233"
    "2J",
    "\r",
};
constexpr std::array<std::string_view, 4> wide_pieces = {"\xe6\xbc\xa2\xe5\xad\x97", "\xef\xbc\xa1",
                                                         "\xf0\x9f\x99\x82", "\xe2\x80\x8b"};

// The emulator drops a zero-width character with no character before it on the row.
std::string without_leading_marks(std::string row) {
    for (const std::string_view mark : {"\xe2\x80\x8b", "\xcc\x81"}) {
        while (row.starts_with(mark)) {
            row.erase(0, mark.size());
        }
    }
    return row;
}

std::string random_line(std::mt19937& random, std::size_t max_bytes, bool wide, bool tabs) {
    std::string line;
    const std::size_t length = std::uniform_int_distribution<std::size_t>(0, max_bytes)(random);
    std::uniform_int_distribution<int> which(0, 99);
    while (true) {
        const int w = which(random);
        std::string_view piece = narrow_pieces[static_cast<std::size_t>(w) % narrow_pieces.size()];
        if (wide && w < 25) {
            piece = wide_pieces[static_cast<std::size_t>(w) % wide_pieces.size()];
        } else if (tabs && w >= 95) {
            piece = "\t";
        }
        if (line.size() + piece.size() > length) {
            return line;
        }
        line += piece;
    }
}

// Random menus and texts at random sizes from 1x1 to 200x60: the header on row 1, every row of
// a menu the cut of its own line, the lines of a text wrapped onto rows, the bottom row blank
// (no prompt is open), and nothing scrolled.
TEST(FitScreen, RandomPagesFitRandomWindows) {
    std::mt19937 random(1414);
    auto server = start_gopher_server();
    for (int n = 0; n < 24; ++n) {
        const int rows = std::uniform_int_distribution<int>(1, 60)(random);
        const int cols = std::uniform_int_distribution<int>(1, 200)(random);
        const bool menu = n % 2 == 0;
        const bool wide = cols >= 2;
        const int count = std::uniform_int_distribution<int>(1, rows + 3)(random);
        const std::string selector = "/case" + std::to_string(n);
        SCOPED_TRACE(::testing::Message() << "case " << n << ": " << (menu ? "menu" : "text")
                                          << " at " << rows << "x" << cols);
        std::string page;
        std::vector<std::string> wanted;
        const int content_rows = rows >= 5 ? rows - 4 : 0;
        bool marked = false;
        for (int i = 0; i < count; ++i) {
            std::string line = random_line(random, menu ? 1023 : 4096, wide, !menu);
            if (menu) {
                const char type = "01i"[i % 3];
                page += menu_line(type, line, "/x", "127.0.0.1", server->port);
                const bool marker = type != 'i' && !marked;
                marked = marked || marker;
                const std::string mark = marker ? "->" : "  ";
                const int space = room(cols);
                wanted.push_back(mark.substr(0, static_cast<std::size_t>(space < 2 ? space : 2)) +
                                 reference_cut(line, space - 2));
            } else {
                line += "\r";
                page += line + "\n";
                for (const std::string& row : reference_rows(line, text_cut(cols))) {
                    wanted.push_back(without_leading_marks(row));
                }
            }
        }
        if (wanted.size() > static_cast<std::size_t>(content_rows)) {
            wanted.resize(static_cast<std::size_t>(content_rows));
        }
        for (std::string& row : wanted) {
            row = at_column(content_col(cols), row);
            row.erase(row.find_last_not_of(' ') + 1);
        }
        serve(*server, selector, Script{page});
        auto run = start_program({address_of(*server, (menu ? "/1" : "/0") + selector)},
                                 window(rows, cols));
        ASSERT_TRUE(wait_until(*run, [&] { return screen_is(*run, wanted); }))
            << screen_text(*run) << "wanted:\n"
            << describe(wanted) << run->errors << first_difference(*run, wanted);
        EXPECT_EQ(run->scrolled_lines, 0);
    }
}

} // namespace
