// What the bottom row shows when several things want it: one ranking, read by the drawing.
#pragma once

#include <string_view>

struct Model;

enum class BottomKind {
    empty,
    prompt,       // the overlay's prompt, with what is typed
    prompt_error, // the prompt's error, until a key
    confirm,      // a question answered with y or n
    progress,     // a loading page's, else a save's
    error,        // a message in red
    note,         // a message in the normal colour
};

// The text is a view into the model, valid until it changes.
struct BottomRow {
    BottomKind kind = BottomKind::empty;
    std::string_view text;
    bool keep_end = false; // cut from its start when too long: a URL's end tells links apart
};

// From the strongest: a prompt or its error; a loading page's progress; the message (a failed
// fetch's, a save's outcome, a link); a save's progress. The about screen has no bottom row.
[[nodiscard]] BottomRow bottom_row(const Model& model);
