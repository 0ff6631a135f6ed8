// Every control sequence the program writes, by name.
#pragma once

namespace seq {
inline constexpr const char* clear_screen = "\033[H\033[J";    // home, erase to end of screen
inline constexpr const char* cursor_position = "\033[%d;%dH";  // row;col, 1-based
inline constexpr const char* cursor_visibility = "\033[?25%c"; // 'h' show, 'l' hide
inline constexpr const char* reset = "\033[0m";                // all attributes off
inline constexpr const char* bar_background = "\033[48;5;17m"; // colour 17: dark blue
inline constexpr const char* bold_white = "\033[1;37m";
inline constexpr const char* bold_bright_blue = "\033[1;94m";
inline constexpr const char* bold_red = "\033[1;31m";
inline constexpr const char* bold_green = "\033[1;32m";
inline constexpr const char* bold_yellow = "\033[1;33m";
inline constexpr const char* bold_magenta = "\033[1;35m";
inline constexpr const char* bold_cyan = "\033[1;36m";
inline constexpr const char* bold_blue = "\033[1;34m";
inline constexpr const char* bold_bright_red = "\033[1;91m";
inline constexpr const char* grey = "\033[0;90m";         // reset, then bright black
inline constexpr const char* selection = "\033[1;30;47m"; // bold black on white
inline constexpr const char* reverse = "\033[7m";
inline constexpr const char* reverse_off = "\033[27m"; // the colours stay
inline constexpr const char* show_cursor = "\033[?25h";
inline constexpr const char* hide_cursor = "\033[?25l";
// The alternate screen: drawn on while the program runs, so that leaving it gives the shell's
// screen and scrollback back as they were.
inline constexpr const char* alternate_screen_on = "\033[?1049h";
inline constexpr const char* alternate_screen_off = "\033[?1049l";
} // namespace seq
