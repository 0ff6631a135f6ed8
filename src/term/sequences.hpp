// Every control sequence the program writes, by name.
#pragma once

namespace seq {
inline constexpr const char* clear_screen = "\033[H\033[J";   // home, erase to end of screen
inline constexpr const char* cursor_position = "\033[%d;%dH"; // row;col, 1-based
inline constexpr const char* cursor_row = "\033[%dH";         // column 1 of the row
inline constexpr const char* cursor_up = "\033[%dA";          // n rows, the column kept
inline constexpr const char* cursor_down = "\033[%dB";
inline constexpr const char* cursor_right = "\033[%dC";        // n columns, the row kept
inline constexpr const char* cursor_left = "\033[%dD";         // (a backspace moves one, too)
inline constexpr const char* cursor_visibility = "\033[?25%c"; // 'h' show, 'l' hide
inline constexpr const char* reset = "\033[0m";                // all attributes off
inline constexpr const char* show_cursor = "\033[?25h";
inline constexpr const char* hide_cursor = "\033[?25l";
inline constexpr const char* erase_line_end = "\033[K"; // from the cursor, in the current colours
// Terminals that know the mode show what comes between the two at once; others ignore both.
inline constexpr const char* sync_begin = "\033[?2026h";
inline constexpr const char* sync_end = "\033[?2026l";
inline constexpr const char* scroll_region = "\033[%d;%dr"; // top;bottom rows; homes the cursor
inline constexpr const char* scroll_region_reset = "\033[r";
inline constexpr const char* scroll_up = "\033[%dS";   // the region's rows move up n rows
inline constexpr const char* scroll_down = "\033[%dT"; // ... and down
// Select graphic rendition: the parameters below go between sgr_start and sgr_end, after a
// reset (0) so that a change never depends on what was set before.
inline constexpr const char* sgr_start = "\033[0";
inline constexpr const char* sgr_bold = ";1";
inline constexpr const char* sgr_underline = ";4";
inline constexpr const char* sgr_reverse = ";7";
inline constexpr int sgr_fg_basic = 30; // + 0-7; bright ones from 90
inline constexpr int sgr_fg_bright = 90;
inline constexpr int sgr_bg_basic = 40; // + 0-7; bright ones from 100
inline constexpr int sgr_bg_bright = 100;
inline constexpr const char* sgr_fg_palette = ";38;5;"; // then the index
inline constexpr const char* sgr_bg_palette = ";48;5;";
inline constexpr const char* sgr_end = "m";
// The question about the background's colour (OSC 11 ; ? ST), then the primary device attributes
// request, which every terminal answers: an answer to it first means no colour is coming.
inline constexpr const char* ask_background = "\033]11;?\033\\";
inline constexpr const char* ask_device_attributes = "\033[c";
// The alternate screen: drawn on while the program runs, so that leaving it gives the shell's
// screen and scrollback back as they were.
inline constexpr const char* alternate_screen_on = "\033[?1049h";
inline constexpr const char* alternate_screen_off = "\033[?1049l";
} // namespace seq
