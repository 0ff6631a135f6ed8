// The colours of the program's screens, as cell attributes.
#pragma once

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
