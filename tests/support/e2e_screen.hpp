// What the end-to-end screen tests share: the two window sizes, palette colours of cells, and
// waiting for a whole new frame.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"

namespace e2e {

// The two windows every screen is checked in, with where the band and the content start.
struct WindowSize {
    int rows;
    int cols;
    int bar_col;
    int content_col;
};
inline constexpr WindowSize window_sizes[] = {{24, 80, 1, 2}, {30, 100, 11, 12}};

inline PtyOptions options_for(const WindowSize& size) {
    PtyOptions options;
    options.rows = size.rows;
    options.cols = size.cols;
    return options;
}

inline std::ostream& operator<<(std::ostream& out, const WindowSize& size) {
    return out << size.rows << "x" << size.cols;
}

// Palette indexes that the program's colour sequences select.
namespace colour {
inline constexpr int none = -1; // the terminal's default
inline constexpr int black = 0;
inline constexpr int red = 1;
inline constexpr int green = 2;
inline constexpr int yellow = 3;
inline constexpr int blue = 4;
inline constexpr int magenta = 5;
inline constexpr int cyan = 6;
inline constexpr int white = 7;
inline constexpr int grey = 8;
inline constexpr int bright_red = 9;
inline constexpr int bright_blue = 12;
inline constexpr int dark_blue = 17;
} // namespace colour

// How a cell is coloured, as palette indexes.
struct Look {
    int fg = colour::none;
    int bg = colour::none;
    bool bold = false;

    friend bool operator==(const Look&, const Look&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const Look& look) {
    return out << "{fg " << look.fg << ", bg " << look.bg << (look.bold ? ", bold}" : "}");
}

inline Look look_at(const PtyRun& run, int row, int col) {
    const ScreenCell cell = cell_at(run, row, col);
    return {cell.fg.is_default ? colour::none : cell.fg.index,
            cell.bg.is_default ? colour::none : cell.bg.index, cell.bold};
}

inline constexpr Look band_look{colour::white, colour::dark_blue, true};
inline constexpr Look selection_look{colour::black, colour::white, true};
inline constexpr Look plain_look{};

// The row as a view draws it: blanks up to the column, then the text.
inline std::string at_column(int col, std::string_view text) {
    return std::string(static_cast<std::size_t>(col - 1), ' ') + std::string(text);
}

inline std::string address_of(const GopherServer& server, std::string_view path = "") {
    return "127.0.0.1:" + std::to_string(server.port) + std::string(path);
}

// The header's URL of a page on the server; path "/" is the root menu.
inline std::string url_of(const GopherServer& server, std::string_view path = "/") {
    return "gopher://127.0.0.1:" + std::to_string(server.port) + std::string(path);
}

// Frames written since mark: every frame, even one that changes nothing, ends its
// synchronized output.
inline int frames_since(const PtyRun& run, std::size_t mark) {
    constexpr std::string_view clear = "\033[?2026l";
    int frames = 0;
    for (std::size_t at = run.output.find(clear, mark); at != std::string::npos;
         at = run.output.find(clear, at + clear.size())) {
        ++frames;
    }
    return frames;
}

// Waits for the given number of screens drawn since mark, the last of them making done true.
inline bool wait_for_frame(PtyRun& run, std::size_t mark, const std::function<bool()>& done,
                           int frames = 1) {
    return wait_until(run, [&] { return frames_since(run, mark) >= frames && done(); });
}

inline bool wait_for_row(PtyRun& run, int row, std::string_view text) {
    return wait_until(run, [&] { return row_text(run, row) == text; });
}

} // namespace e2e
