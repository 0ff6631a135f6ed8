// The prompts on the bottom row: what a key does to the line typed, and how the row is drawn.
#include "ui/prompt.hpp"

#include <string>
#include <string_view>
#include <utility>

#include "gopher/fields.hpp"
#include "term/frame.hpp"
#include "term/width.hpp"
#include "ui/bottom_message.hpp"
#include "ui/geometry.hpp"
#include "ui/looks.hpp"

namespace {

// The longest path the system takes, less its NUL.
constexpr int file_name_limit = 4095;

// The first column of the line: after the label, cut to the window as the label is.
int input_column(int cols, PromptKind kind) {
    const int label_col = prompt_label_column(cols);
    const int label = static_cast<int>(shown_width(prompt_label(kind), TabShow::one_blank));
    const int used = label < cols - label_col ? label : cols - label_col;
    return label_col + (used > 0 ? used : 0);
}

// Columns of the line: up to the last one, where the cursor stands after the text's end.
int line_room(const winsize& window, PromptKind kind) {
    const int cols = window.ws_col;
    return cols > 0 ? cols - input_column(cols, kind) + 1 : 0;
}

} // namespace

int prompt_limit(PromptKind kind) {
    switch (kind) {
    case PromptKind::search:
    case PromptKind::find:
        return static_cast<int>(selector_max);
    case PromptKind::save:
        return file_name_limit;
    case PromptKind::address:
        break;
    }
    return static_cast<int>(address_max);
}

PromptEdit edit_prompt(Prompt* prompt, DecodedKey key, const winsize& window) {
    LineEdit& line = prompt->line;
    if (key.key == Key::escape) {
        return PromptEdit::cancelled;
    }
    if (key.key == Key::byte && (key.byte == '\r' || key.byte == '\n')) {
        line.pending.clear();
        return PromptEdit::accepted;
    }
    if (edit_line(&line, key, static_cast<std::size_t>(prompt_limit(prompt->kind)))) {
        fit_prompt(prompt, window);
    }
    return PromptEdit::typing;
}

void open_prompt(Overlay* overlay, PromptKind kind, std::string_view text, const winsize& window,
                 PromptFor target) {
    Prompt prompt{kind, line_with(text), std::move(target)};
    fit_prompt(&prompt, window);
    *overlay = std::move(prompt);
}

void fit_prompt(Prompt* prompt, const winsize& window) {
    LineEdit& line = prompt->line;
    line.shown_from = view_line(line, line_room(window, prompt->kind)).from;
}

void draw_prompt_row(const Prompt& prompt, const winsize& window, const Palette& palette,
                     Frame* frame) {
    const int rows = window.ws_row;
    const int cols = window.ws_col;
    if (rows <= 0 || cols <= 0) {
        return; // not a terminal: nothing to draw on
    }
    draw_bottom_message(frame, window, palette.prompt_label, prompt_label(prompt.kind));
    const int input_col = input_column(cols, prompt.kind);
    const LineView view = view_line(prompt.line, line_room(window, prompt.kind));
    // The line holds UTF-8 without control characters: it is drawn as it is.
    const std::string_view shown =
        std::string_view{prompt.line.text}.substr(view.from, view.to - view.from);
    put_text(frame, rows, input_col, shown, palette.prompt_text);
    const int at = input_col + view.cursor_col;
    frame->cursor_row = rows;
    frame->cursor_col = at <= cols ? at : cols;
    frame->cursor_shown = true;
}

void draw_prompt_error(const PromptError& error, const winsize& window, const Palette& palette,
                       Frame* frame) {
    draw_bottom_message(frame, window, palette.message_error, error.message);
}
