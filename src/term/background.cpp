// Whether the terminal's background is light: from the environment, or from the terminal's
// answer to the question about its background colour.
#include "term/background.hpp"

#include <array>
#include <cmath>
#include <cstring>

#include "base/hex.hpp"

namespace {

// The luminance at which black and white text have the same contrast: (L + 0.05)^2 = 1.05 * 0.05.
// Above it dark text reads better, so the background is light.
constexpr double light_threshold = 0.179;

double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

// One channel of 1-4 hex digits, scaled to 0-1 by its own width (f, ff, fff and ffff are white).
std::optional<double> channel(std::string_view digits) {
    if (digits.empty() || digits.size() > 4) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : digits) {
        const int digit = hex_value(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + digit;
    }
    const int full = (1 << (4 * static_cast<int>(digits.size()))) - 1;
    return static_cast<double>(value) / full;
}

} // namespace

BackgroundGuess guess_background(const char* colorfgbg) {
    if (colorfgbg == nullptr || *colorfgbg == '\0') {
        return BackgroundGuess::ask;
    }
    const char* last = std::strrchr(colorfgbg, ';');
    const std::string_view field = last != nullptr ? last + 1 : colorfgbg;
    return field == "7" || field == "15" ? BackgroundGuess::light : BackgroundGuess::dark;
}

std::optional<bool> background_is_light(std::string_view colour) {
    constexpr std::string_view prefix = "rgb:";
    if (colour.substr(0, prefix.size()) != prefix) {
        return std::nullopt;
    }
    colour.remove_prefix(prefix.size());
    std::array<double, 3> rgb{};
    for (std::size_t k = 0; k < rgb.size(); ++k) {
        const std::size_t slash = colour.find('/');
        if ((slash == std::string_view::npos) != (k == rgb.size() - 1)) {
            return std::nullopt;
        }
        const std::optional<double> value = channel(colour.substr(0, slash));
        if (!value) {
            return std::nullopt;
        }
        rgb[k] = *value;
        colour.remove_prefix(slash == std::string_view::npos ? colour.size() : slash + 1);
    }
    return relative_luminance(rgb[0], rgb[1], rgb[2]) > light_threshold;
}

double relative_luminance(double red, double green, double blue) {
    return 0.2126 * linear(red) + 0.7152 * linear(green) + 0.0722 * linear(blue);
}
