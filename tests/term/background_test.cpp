// Whether the background is light: from COLORFGBG, or from the colour the terminal answers.
#include "term/background.hpp"

#include <gtest/gtest.h>
#include <optional>
#include <string_view>

namespace {

TEST(Background, GuessedFromColorfgbg) {
    const struct {
        const char* value;
        BackgroundGuess guess;
    } cases[] = {
        {nullptr, BackgroundGuess::ask},          {"", BackgroundGuess::ask},
        {"0;15", BackgroundGuess::light},         {"0;7", BackgroundGuess::light},
        {"0;default;15", BackgroundGuess::light}, {"15;0", BackgroundGuess::dark},
        {"7;default;0", BackgroundGuess::dark},   {"0;157", BackgroundGuess::dark},
        {"15", BackgroundGuess::light},           {"0;", BackgroundGuess::dark},
        {"junk", BackgroundGuess::dark},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(guess_background(c.value), c.guess) << (c.value ? c.value : "(unset)");
    }
}

TEST(Background, LightByLuminanceOfTheAnsweredColour) {
    const struct {
        std::string_view colour;
        std::optional<bool> light;
    } cases[] = {
        {"rgb:ffff/ffff/ffff", true},
        {"rgb:0000/0000/0000", false},
        {"rgb:f/f/f", true},
        {"rgb:ff/ff/ff", true},
        {"rgb:fff/fff/fff", true},
        {"rgb:FFFF/FFFF/FFFF", true},
        {"rgb:1e1e/1e1e/1e1e", false}, // a usual dark theme
        {"rgb:fdfd/f6f6/e3e3", true},  // a cream one
        {"rgb:8080/8080/8080", true},  // mid grey: black text reads better on it
        {"rgb:6060/6060/6060", false},
        {"rgb:0000/0000/ffff", false}, // blue is dark, for all its brightness
        {"rgb:ffff/ffff/0000", true},
        {"rgb:ffff/ffff", std::nullopt},
        {"rgb:ffff/ffff/ffff/ffff", std::nullopt},
        {"rgb:fffff/ffff/ffff", std::nullopt},
        {"rgb://ffff", std::nullopt},
        {"rgb:gggg/0/0", std::nullopt},
        {"rgba:ffff/ffff/ffff/ffff", std::nullopt},
        {"", std::nullopt},
        {"?", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(background_is_light(c.colour), c.light) << c.colour;
    }
}

} // namespace
