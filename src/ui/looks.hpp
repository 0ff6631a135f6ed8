// The colours of the program's screens, as cell attributes: the dark palette (the terminal's
// own colours on a dark background), the light one, and none at all (NO_COLOR).
#pragma once

#include <cstdint>

#include "term/frame.hpp"

namespace look {
inline constexpr int black = 0;
inline constexpr int red = 1;
inline constexpr int green = 2;
inline constexpr int yellow = 3;
inline constexpr int blue = 4;
inline constexpr int magenta = 5;
inline constexpr int cyan = 6;
inline constexpr int white = 7;
inline constexpr int bright_black = 8;
inline constexpr int bright_red = 9;
inline constexpr int bright_blue = 12;
inline constexpr int dark_blue = 17; // of the 256-colour palette

constexpr Attr bold(int colour) {
    return {basic_colour(colour), Colour{}, true, false, false};
}

inline constexpr Attr plain{};
inline constexpr Attr bar{basic_colour(white), palette_colour(dark_blue), true, false, false};
inline constexpr Attr bold_white = bold(white);
inline constexpr Attr bold_bright_blue = bold(bright_blue);
inline constexpr Attr bold_red = bold(red);
inline constexpr Attr bold_green = bold(green);
inline constexpr Attr bold_yellow = bold(yellow);
inline constexpr Attr bold_magenta = bold(magenta);
inline constexpr Attr bold_cyan = bold(cyan);
inline constexpr Attr bold_blue = bold(blue);
inline constexpr Attr bold_bright_red = bold(bright_red);
inline constexpr Attr grey{basic_colour(bright_black), Colour{}, false, false, false};
inline constexpr Attr selection{basic_colour(black), basic_colour(white), true, false, false};
} // namespace look

// One attribute per role. The matches of the last search are the row's attribute in reverse
// video, in every palette.
struct Palette {
    // Menu rows by item type (see item_look).
    Attr text;     // 0
    Attr menu;     // 1
    Attr web;      // 2 (a phone book), h
    Attr error;    // 3
    Attr binary;   // 4, 5, 6, 9, g
    Attr search;   // 7
    Attr telnet;   // 8
    Attr info;     // i: the lines of the menu that are no links
    Attr other;    // any other type
    Attr selected; // the selected row (the marker beside it says so too)
    Attr page_text;
    Attr header; // the bar on row 1, on its own background
    Attr prompt_label;
    Attr prompt_text;
    Attr message_error; // errors on the bottom row, a prompt's too
    Attr note;          // a note on the bottom row
    Attr done;          // a message that something the user asked for was done
    Attr progress;      // a fetch's or a save's progress
    Attr about_title;   // the about screen's greeting and "Shortcuts:"
    Attr about_picture;
    Attr about_keys;
};

enum class PaletteKind : std::uint8_t { dark, light, no_colour };

[[nodiscard]] const Palette& palette_of(PaletteKind kind);

// NO_COLOR set and not empty means no colour, whatever the background; else the background's.
[[nodiscard]] PaletteKind choose_palette(const char* no_color, bool light_background);

// The attribute of a menu row of the given type, not selected.
[[nodiscard]] const Attr& item_look(const Palette& palette, char type);

struct Looks;

// The palette the run's looks call for.
[[nodiscard]] const Palette& looks_palette(const Looks& looks);

// A look of the dark palette drawn in the palette given: the about screen's lines keep the dark
// palette's looks in their table.
[[nodiscard]] Attr in_palette(const Palette& palette, const Attr& dark);
