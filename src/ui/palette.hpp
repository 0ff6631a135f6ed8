// The colours the views draw with, as data: one style per role, for a dark background, a light
// one, and no colour at all (NO_COLOR). The writer turns a style into its sequence.
#pragma once

enum class ColourKind {
    none,  // the terminal's own colour
    basic, // 0-15: the terminal's sixteen colours
    index, // 16-255: xterm's 256-colour palette, whose colours a theme does not change
};

struct StyleColour {
    ColourKind kind = ColourKind::none;
    int value = 0;
    bool operator==(const StyleColour&) const = default;
};

struct Style {
    StyleColour foreground;
    StyleColour background;
    bool bold = false;
    bool reverse = false;
    bool operator==(const Style&) const = default;
};

struct Palette {
    // Menu rows by item type (see item_style).
    Style text;       // 0
    Style menu;       // 1
    Style web;        // 2 (a phone book), h
    Style error;      // 3
    Style binary;     // 4, 5, 6, 9, g
    Style search;     // 7
    Style telnet;     // 8
    Style info;       // i: the lines of the menu that are no links
    Style other;      // any other type
    Style selected;   // the selected row (the marker beside it says so too)
    Style page_text;  // the lines of a text page
    Style find_match; // the matches of the last search, on top of the row's style
    Style header;     // the bar on row 1, on its own background
    Style prompt_label;
    Style message_error; // errors on the bottom row, a prompt's too
    Style note;          // a note on the bottom row
    Style progress;      // a fetch's or a save's progress
    Style about_title;   // the about screen's greeting and "Shortcuts:"
    Style about_picture;
    Style about_keys;
};

enum class PaletteKind { dark, light, no_colour };

[[nodiscard]] const Palette& palette_of(PaletteKind kind);

// NO_COLOR set and not empty means no colour, whatever the background; else the background's.
[[nodiscard]] PaletteKind choose_palette(const char* no_color, bool light_background);

// The style of a menu row of the given type, not selected.
[[nodiscard]] const Style& item_style(const Palette& palette, char type);
