// The palettes: the dark one is the colours drawn before there were others, the light one reads
// on white, and NO_COLOR has none.
#include "ui/palette.hpp"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <string_view>

#include "term/sequences.hpp"
#include "ui/menu_selection.hpp"

namespace {

struct Role {
    const char* name;
    Style Palette::*style;
};

constexpr Role roles[] = {
    {"text", &Palette::text},
    {"menu", &Palette::menu},
    {"web", &Palette::web},
    {"error", &Palette::error},
    {"binary", &Palette::binary},
    {"search", &Palette::search},
    {"telnet", &Palette::telnet},
    {"info", &Palette::info},
    {"other", &Palette::other},
    {"selected", &Palette::selected},
    {"page_text", &Palette::page_text},
    {"find_match", &Palette::find_match},
    {"header", &Palette::header},
    {"prompt_label", &Palette::prompt_label},
    {"message_error", &Palette::message_error},
    {"note", &Palette::note},
    {"progress", &Palette::progress},
    {"about_title", &Palette::about_title},
    {"about_picture", &Palette::about_picture},
    {"about_keys", &Palette::about_keys},
};

std::string colour_parameter(StyleColour colour, bool background) {
    switch (colour.kind) {
    case ColourKind::none:
        return "";
    case ColourKind::basic:
        if (colour.value < 8) {
            return std::to_string((background ? 40 : 30) + colour.value);
        }
        return std::to_string((background ? 100 : 90) + colour.value - 8);
    case ColourKind::index:
        return (background ? "48;5;" : "38;5;") + std::to_string(colour.value);
    }
    return "?";
}

// One SGR sequence for the style, parameters in the order today's sequences have them.
std::string sgr(const Style& style) {
    std::string parameters;
    const auto add = [&parameters](const std::string& parameter) {
        if (!parameter.empty()) {
            parameters += (parameters.empty() ? "" : ";") + parameter;
        }
    };
    add(style.bold ? "1" : "");
    add(colour_parameter(style.foreground, false));
    add(colour_parameter(style.background, true));
    add(style.reverse ? "7" : "");
    return "\033[" + parameters + "m";
}

// Today's sequences that begin with a reset do so to drop bold: the same style.
std::string without_reset(std::string_view sequence) {
    std::string text(sequence);
    if (text.starts_with("\033[0;")) {
        text.erase(2, 2);
    }
    return text;
}

TEST(Palette, DarkIsTheColoursDrawnSoFar) {
    const Palette& dark = palette_of(PaletteKind::dark);
    for (int byte = 0; byte < 256; ++byte) {
        const char type = static_cast<char>(byte);
        EXPECT_EQ(sgr(item_style(dark, type)), without_reset(type_color(type, 0))) << byte;
    }
    EXPECT_EQ(sgr(dark.selected), type_color('1', 1));
    EXPECT_EQ(sgr(dark.page_text), seq::bold_yellow);
    EXPECT_EQ(sgr(dark.find_match), seq::reverse);
    Style band = dark.header;
    band.foreground = {};
    band.bold = false;
    Style letters = dark.header;
    letters.background = {};
    EXPECT_EQ(sgr(band) + sgr(letters), std::string(seq::bar_background) + seq::bold_white);
    EXPECT_EQ(sgr(dark.prompt_label), seq::bold_bright_blue);
    EXPECT_EQ(sgr(dark.message_error), seq::bold_red);
    EXPECT_EQ(dark.note, Style{});
    EXPECT_EQ(dark.progress, Style{});
    EXPECT_EQ(sgr(dark.about_title), seq::bold_green);
    EXPECT_EQ(sgr(dark.about_picture), seq::bold_magenta);
    EXPECT_EQ(sgr(dark.about_keys), seq::bold_yellow);
}

// xterm's colour of a palette index from 16 up, each channel 0-255.
struct Rgb {
    int red, green, blue;
};
Rgb xterm_colour(int index) {
    if (index >= 232) {
        const int grey = 8 + 10 * (index - 232);
        return {grey, grey, grey};
    }
    constexpr int levels[] = {0, 95, 135, 175, 215, 255};
    const int cube = index - 16;
    return {levels[cube / 36], levels[cube / 6 % 6], levels[cube % 6]};
}

double luminance(Rgb colour) {
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) +
           0.0722 * linear(colour.blue);
}

double contrast(Rgb a, Rgb b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(Palette, LightColoursReadOnWhite) {
    ASSERT_NEAR(contrast({255, 255, 255}, {0, 0, 0}), 21.0, 1e-9);
    ASSERT_NEAR(contrast({255, 255, 255}, xterm_colour(243)), 4.54, 0.01);
    const Palette& light = palette_of(PaletteKind::light);
    for (const Role& role : roles) {
        const Style& style = light.*role.style;
        if (role.style == &Palette::header) {
            // On its own background, as on a dark terminal.
            EXPECT_EQ(style.background, palette_of(PaletteKind::dark).header.background);
            ASSERT_EQ(style.foreground.kind, ColourKind::index);
            EXPECT_GE(contrast(xterm_colour(style.foreground.value),
                               xterm_colour(style.background.value)),
                      4.5);
            continue;
        }
        EXPECT_EQ(style.background, StyleColour{}) << role.name;
        if (style.foreground.kind == ColourKind::none) {
            continue;
        }
        ASSERT_EQ(style.foreground.kind, ColourKind::index) << role.name;
        ASSERT_GE(style.foreground.value, 16) << role.name;
        ASSERT_LE(style.foreground.value, 255) << role.name;
        EXPECT_GE(contrast({255, 255, 255}, xterm_colour(style.foreground.value)), 4.5)
            << role.name << " " << style.foreground.value;
    }
    EXPECT_EQ(light.selected, (Style{{}, {}, true, true}));
    EXPECT_TRUE(light.find_match.reverse);
    // Each type keeps a colour of its own.
    for (const Role& a : roles) {
        for (const Role& b : roles) {
            if (&a < &b && a.style != &Palette::page_text && b.style != &Palette::page_text &&
                (palette_of(PaletteKind::dark).*a.style).foreground.kind == ColourKind::basic &&
                (palette_of(PaletteKind::dark).*b.style).foreground.kind == ColourKind::basic &&
                (palette_of(PaletteKind::dark).*a.style).foreground !=
                    (palette_of(PaletteKind::dark).*b.style).foreground) {
                EXPECT_NE((light.*a.style).foreground, (light.*b.style).foreground)
                    << a.name << " " << b.name;
            }
        }
    }
}

TEST(Palette, NoColourAtAll) {
    const Palette& plain = palette_of(PaletteKind::no_colour);
    for (const Role& role : roles) {
        EXPECT_EQ((plain.*role.style).foreground, StyleColour{}) << role.name;
        EXPECT_EQ((plain.*role.style).background, StyleColour{}) << role.name;
    }
    EXPECT_TRUE(plain.selected.reverse);
    EXPECT_TRUE(plain.find_match.reverse);
    EXPECT_TRUE(plain.message_error.bold);
    EXPECT_TRUE(plain.note.bold);
    EXPECT_FALSE(plain.text.reverse);
}

TEST(Palette, NoColorWinsOverTheBackground) {
    EXPECT_EQ(choose_palette(nullptr, false), PaletteKind::dark);
    EXPECT_EQ(choose_palette(nullptr, true), PaletteKind::light);
    EXPECT_EQ(choose_palette("", true), PaletteKind::light);
    EXPECT_EQ(choose_palette("1", true), PaletteKind::no_colour);
    EXPECT_EQ(choose_palette("0", false), PaletteKind::no_colour);
}

} // namespace
