// The palettes: the dark one is the terminal's own colours, the light one reads on white, and
// NO_COLOR has none.
#include "ui/looks.hpp"

#include "nav/model.hpp"

namespace {

constexpr Attr bold(Colour foreground) {
    return {foreground, Colour{}, true, false, false};
}

constexpr Attr bold_reverse{Colour{}, Colour{}, true, true, false};

constexpr Palette dark_palette{
    .text = look::bold_yellow,
    .menu = look::bold_green,
    .web = look::bold_cyan,
    .error = look::bold_red,
    .binary = look::bold_magenta,
    .search = look::bold_blue,
    .telnet = look::bold_white,
    .info = look::grey,
    .other = look::bold_bright_red,
    .selected = look::selection,
    .page_text = look::bold_yellow,
    .header = look::bar,
    .prompt_label = look::bold_bright_blue,
    .prompt_text = look::plain,
    .message_error = look::bold_red,
    .note = look::plain,
    .done = look::bold_green,
    .progress = look::plain,
    .about_title = look::bold_green,
    .about_picture = look::bold_magenta,
    .about_keys = look::bold_yellow,
};

// From the 256-colour palette, each at least 4.5:1 against white, each type's hue kept: a
// terminal that shows bold in bright colours leaves these as they are.
constexpr Palette light_palette{
    .text = bold(palette_colour(94)),    // dark yellow
    .menu = bold(palette_colour(28)),    // green
    .web = bold(palette_colour(23)),     // cyan
    .error = bold(palette_colour(124)),  // red
    .binary = bold(palette_colour(90)),  // magenta
    .search = bold(palette_colour(20)),  // blue
    .telnet = bold(palette_colour(236)), // what is white on black, dark grey on white
    .info = {palette_colour(243), Colour{}, false, false, false}, // grey
    .other = bold(palette_colour(160)),                           // a brighter red than errors'
    .selected = bold_reverse,
    .page_text = bold(palette_colour(94)),
    .header = {palette_colour(231), palette_colour(look::dark_blue), true, false, false},
    .prompt_label = bold(palette_colour(25)),
    .prompt_text = look::plain,
    .message_error = bold(palette_colour(124)),
    .note = look::plain,
    .done = bold(palette_colour(28)),
    .progress = look::plain,
    .about_title = bold(palette_colour(28)),
    .about_picture = bold(palette_colour(90)),
    .about_keys = bold(palette_colour(94)),
};

// The dark palette's attributes without its colours; the selection in reverse video, errors and
// notes in bold.
constexpr Attr bold_only = bold(Colour{});
constexpr Palette no_colour_palette{
    .text = bold_only,
    .menu = bold_only,
    .web = bold_only,
    .error = bold_only,
    .binary = bold_only,
    .search = bold_only,
    .telnet = bold_only,
    .info = look::plain,
    .other = bold_only,
    .selected = bold_reverse,
    .page_text = bold_only,
    .header = bold_only,
    .prompt_label = bold_only,
    .prompt_text = look::plain,
    .message_error = bold_only,
    .note = bold_only,
    .done = bold_only,
    .progress = look::plain,
    .about_title = bold_only,
    .about_picture = bold_only,
    .about_keys = bold_only,
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

const Palette& looks_palette(const Looks& looks) {
    return palette_of(choose_palette(looks.no_colour ? "1" : nullptr, looks.light));
}

const Attr& item_look(const Palette& palette, char type) {
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

Attr in_palette(const Palette& palette, const Attr& dark) {
    const Palette& from = dark_palette;
    if (dark == from.header) {
        return palette.header;
    }
    if (dark == from.about_title) {
        return palette.about_title;
    }
    if (dark == from.about_picture) {
        return palette.about_picture;
    }
    if (dark == from.about_keys) {
        return palette.about_keys;
    }
    return dark;
}
