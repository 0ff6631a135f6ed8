// The colours the views draw with, as data: one style per role, for a dark background, a light
// one, and no colour at all (NO_COLOR).
#include "ui/palette.hpp"

namespace {

constexpr StyleColour basic(int value) {
    return {ColourKind::basic, value};
}
constexpr StyleColour indexed(int value) {
    return {ColourKind::index, value};
}
constexpr Style bold(StyleColour foreground) {
    return {foreground, {}, true, false};
}
constexpr Style plain(StyleColour foreground) {
    return {foreground, {}, false, false};
}

constexpr int black = 0, red = 1, green = 2, yellow = 3, blue = 4, magenta = 5, cyan = 6, white = 7,
              bright_black = 8, bright_red = 9, bright_blue = 12;
constexpr Style reverse{{}, {}, false, true};
constexpr Style bold_reverse{{}, {}, true, true};
constexpr Style none{};
// The bar keeps its dark blue on any background.
constexpr StyleColour bar_blue = indexed(17);

constexpr Palette dark_palette{
    .text = bold(basic(yellow)),
    .menu = bold(basic(green)),
    .web = bold(basic(cyan)),
    .error = bold(basic(red)),
    .binary = bold(basic(magenta)),
    .search = bold(basic(blue)),
    .telnet = bold(basic(white)),
    .info = plain(basic(bright_black)),
    .other = bold(basic(bright_red)),
    .selected = {basic(black), basic(white), true, false},
    .page_text = bold(basic(yellow)),
    .find_match = reverse,
    .header = {basic(white), bar_blue, true, false},
    .prompt_label = bold(basic(bright_blue)),
    .message_error = bold(basic(red)),
    .note = none,
    .progress = none,
    .about_title = bold(basic(green)),
    .about_picture = bold(basic(magenta)),
    .about_keys = bold(basic(yellow)),
};

// From the 256-colour palette, each at least 4.5:1 against white, each type's hue kept: a
// terminal that shows bold in bright colours leaves these as they are.
constexpr Palette light_palette{
    .text = bold(indexed(94)),    // dark yellow
    .menu = bold(indexed(28)),    // green
    .web = bold(indexed(23)),     // cyan
    .error = bold(indexed(124)),  // red
    .binary = bold(indexed(90)),  // magenta
    .search = bold(indexed(20)),  // blue
    .telnet = bold(indexed(236)), // what is white on black, dark grey on white
    .info = plain(indexed(243)),  // grey
    .other = bold(indexed(160)),  // a brighter red than errors'
    .selected = bold_reverse,
    .page_text = bold(indexed(94)),
    .find_match = reverse,
    .header = {indexed(231), bar_blue, true, false},
    .prompt_label = bold(indexed(25)),
    .message_error = bold(indexed(124)),
    .note = none,
    .progress = none,
    .about_title = bold(indexed(28)),
    .about_picture = bold(indexed(90)),
    .about_keys = bold(indexed(94)),
};

// The dark palette's attributes without its colours; the selection and the matches in reverse
// video, errors and notes in bold.
constexpr Palette no_colour_palette{
    .text = bold({}),
    .menu = bold({}),
    .web = bold({}),
    .error = bold({}),
    .binary = bold({}),
    .search = bold({}),
    .telnet = bold({}),
    .info = none,
    .other = bold({}),
    .selected = bold_reverse,
    .page_text = bold({}),
    .find_match = reverse,
    .header = bold({}),
    .prompt_label = bold({}),
    .message_error = bold({}),
    .note = bold({}),
    .progress = none,
    .about_title = bold({}),
    .about_picture = bold({}),
    .about_keys = bold({}),
};

} // namespace

const Palette& palette_of(PaletteKind kind) {
    switch (kind) {
    case PaletteKind::light:
        return light_palette;
    case PaletteKind::no_colour:
        return no_colour_palette;
    case PaletteKind::dark:
        break;
    }
    return dark_palette;
}

PaletteKind choose_palette(const char* no_color, bool light_background) {
    if (no_color != nullptr && *no_color != '\0') {
        return PaletteKind::no_colour;
    }
    return light_background ? PaletteKind::light : PaletteKind::dark;
}

const Style& item_style(const Palette& palette, char type) {
    switch (type) {
    case '0':
        return palette.text;
    case '1':
        return palette.menu;
    case '2':
    case 'h':
        return palette.web;
    case '3':
        return palette.error;
    case '4':
    case '5':
    case '6':
    case '9':
    case 'g':
        return palette.binary;
    case '7':
        return palette.search;
    case '8':
        return palette.telnet;
    case 'i':
        return palette.info;
    default:
        return palette.other;
    }
}
