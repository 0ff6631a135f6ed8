// The palettes: the dark one is the colours drawn before there were others, the light one reads
// on white, and NO_COLOR has none.
#include "ui/looks.hpp"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

#include "ui/menu_selection.hpp"

namespace {

struct Role {
    const char* name;
    Attr Palette::*attr;
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
    {"header", &Palette::header},
    {"prompt_label", &Palette::prompt_label},
    {"prompt_text", &Palette::prompt_text},
    {"message_error", &Palette::message_error},
    {"note", &Palette::note},
    {"progress", &Palette::progress},
    {"about_title", &Palette::about_title},
    {"about_picture", &Palette::about_picture},
    {"about_keys", &Palette::about_keys},
};

TEST(Palette, DarkIsTheColoursDrawnSoFar) {
    const Palette& dark = palette_of(PaletteKind::dark);
    for (int byte = 0; byte < 256; ++byte) {
        const char type = static_cast<char>(byte);
        EXPECT_EQ(item_look(dark, type), type_color(type, 0)) << byte;
    }
    EXPECT_EQ(dark.selected, type_color('1', 1));
    EXPECT_EQ(dark.page_text, look::bold_yellow);
    EXPECT_EQ(dark.header, look::bar);
    EXPECT_EQ(dark.prompt_label, look::bold_bright_blue);
    EXPECT_EQ(dark.message_error, look::bold_red);
    EXPECT_EQ(dark.note, look::plain);
    EXPECT_EQ(dark.progress, look::plain);
    EXPECT_EQ(dark.about_title, look::bold_green);
    EXPECT_EQ(dark.about_picture, look::bold_magenta);
    EXPECT_EQ(dark.about_keys, look::bold_yellow);
    for (const Role& role : roles) {
        EXPECT_EQ(in_palette(dark, dark.*role.attr), dark.*role.attr) << role.name;
    }
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
    const Palette& dark = palette_of(PaletteKind::dark);
    for (const Role& role : roles) {
        const Attr& attr = light.*role.attr;
        if (role.attr == &Palette::header) {
            // On its own background, as on a dark terminal.
            EXPECT_EQ(attr.bg, dark.header.bg);
            ASSERT_EQ(attr.fg.kind, ColourKind::indexed);
            EXPECT_GE(contrast(xterm_colour(attr.fg.index), xterm_colour(attr.bg.index)), 4.5);
            continue;
        }
        EXPECT_EQ(attr.bg, Colour{}) << role.name;
        if (attr.fg.kind == ColourKind::none) {
            continue;
        }
        ASSERT_EQ(attr.fg.kind, ColourKind::indexed) << role.name;
        ASSERT_GE(attr.fg.index, 16) << role.name;
        EXPECT_GE(contrast({255, 255, 255}, xterm_colour(attr.fg.index)), 4.5)
            << role.name << " " << int{attr.fg.index};
    }
    EXPECT_EQ(light.selected, (Attr{Colour{}, Colour{}, true, true, false}));
    // Each type keeps a colour of its own.
    for (const Role& a : roles) {
        for (const Role& b : roles) {
            if (&a < &b && a.attr != &Palette::page_text && b.attr != &Palette::page_text &&
                (dark.*a.attr).fg.kind == ColourKind::basic &&
                (dark.*b.attr).fg.kind == ColourKind::basic &&
                (dark.*a.attr).fg != (dark.*b.attr).fg) {
                EXPECT_NE((light.*a.attr).fg, (light.*b.attr).fg) << a.name << " " << b.name;
            }
        }
    }
    EXPECT_EQ(in_palette(light, look::bold_green), light.about_title);
    EXPECT_EQ(in_palette(light, look::bar), light.header);
}

TEST(Palette, NoColourAtAll) {
    const Palette& plain = palette_of(PaletteKind::no_colour);
    for (const Role& role : roles) {
        EXPECT_EQ((plain.*role.attr).fg, Colour{}) << role.name;
        EXPECT_EQ((plain.*role.attr).bg, Colour{}) << role.name;
    }
    EXPECT_TRUE(plain.selected.reverse);
    EXPECT_TRUE(plain.message_error.bold);
    EXPECT_TRUE(plain.note.bold);
    EXPECT_FALSE(plain.text.reverse);
    EXPECT_EQ(in_palette(plain, look::bold_magenta), plain.about_picture);
}

TEST(Palette, NoColorWinsOverTheBackground) {
    EXPECT_EQ(choose_palette(nullptr, false), PaletteKind::dark);
    EXPECT_EQ(choose_palette(nullptr, true), PaletteKind::light);
    EXPECT_EQ(choose_palette("", true), PaletteKind::light);
    EXPECT_EQ(choose_palette("1", true), PaletteKind::no_colour);
    EXPECT_EQ(choose_palette("0", false), PaletteKind::no_colour);
}

} // namespace
