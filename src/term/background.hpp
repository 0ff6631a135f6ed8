// Whether the terminal's background is light: from the environment, or from the terminal's
// answer to the question about its background colour.
#pragma once

#include <optional>
#include <string_view>

enum class BackgroundGuess {
    dark,
    light,
    ask, // the environment does not say: ask the terminal (it may never answer: dark)
};

// From COLORFGBG ("fg;bg", or "fg;other;bg"): a last field of 7 or 15 (white) is light, any other
// dark. nullptr or empty: ask.
[[nodiscard]] BackgroundGuess guess_background(const char* colorfgbg);

// The colour of an OSC 11 answer ("rgb:R/G/B", each 1-4 hex digits): whether it is light, by its
// relative luminance. Nothing for a colour in another form.
[[nodiscard]] std::optional<bool> background_is_light(std::string_view colour);

// WCAG relative luminance of an sRGB colour, each channel 0-1.
[[nodiscard]] double relative_luminance(double red, double green, double blue);
