// The line count of the text on screen: the fetch's count while it arrives, the measured one
// once it is whole.
#pragma once

struct Model;

// The page on screen is still arriving: its bytes go on growing from the fetch.
[[nodiscard]] bool text_arriving(const Model& model);

// Lines of the text on screen (capped at INT_MAX): while it arrives, the LFs the fetch has
// counted, and a last line without its LF; once whole, the count measured after its first frame
// (ShownPage::text_lines), -1 until then.
[[nodiscard]] int text_line_count(const Model& model);
