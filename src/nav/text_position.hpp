// Where the first line of a text frame starts.
#pragma once

// Just past the top-th newline of the text, or its end when it has fewer: where a frame begins
// once top lines are skipped. Nothing is skipped for a top of 0 or below. For one-off frames
// (tests, fuzz targets, benchmarks); the text view seeks from its record's position.
[[nodiscard]] const char* skip_lines(const char* text, long top);

// A line start found earlier in one text, from which the next frame's start is found: a
// movement key then costs the lines it moves over, not all the lines above the screen.
struct TextPosition {
    const char* text = nullptr; // the text it belongs to; null until first used
    long line = 0;              // newlines before `at`
    const char* at = nullptr;   // just past the line-th newline, or the text itself for line 0
};

// skip_lines(text, top), found from the position, which it then moves there. A position of
// another text is dropped first: the text must not change while a position of it is kept.
[[nodiscard]] const char* seek_line(TextPosition* position, const char* text, long top);
