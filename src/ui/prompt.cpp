// The search and address prompts on the bottom row: what a key does to the line typed, and how
// the row is drawn.
#include "ui/prompt.hpp"

#include <string>
#include <string_view>

#include "gopher/fields.hpp"
#include "term/frame.hpp"
#include "term/width.hpp"
#include "ui/bottom_message.hpp"
#include "ui/geometry.hpp"
#include "ui/looks.hpp"

namespace {

// The longest path the system takes, less its NUL.
constexpr int file_name_limit = 4095;

bool ascii_only(std::string_view text) {
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0x80U) != 0) {
            return false;
        }
    }
    return true;
}

bool is_continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U;
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

PromptEdit edit_prompt(Overlay* overlay, DecodedKey key) {
    std::string& typed = overlay->typed;
    switch (key.key) {
    case Key::escape:
        typed.clear();
        return PromptEdit::cancelled;
    case Key::back:
        // A whole character, also one of several bytes from a proposed name.
        while (!typed.empty() && is_continuation(typed.back())) {
            typed.pop_back();
        }
        if (!typed.empty()) {
            typed.pop_back();
        }
        return PromptEdit::typing;
    case Key::byte:
        if (key.byte == '\r' || key.byte == '\n') {
            return PromptEdit::accepted;
        }
        // Only printable ASCII is typed, one column a character, so the tail that fits is the
        // last characters.
        if (key.byte >= 0x20 && key.byte <= 0x7e &&
            static_cast<int>(typed.size()) < prompt_limit(overlay->prompt)) {
            typed += static_cast<char>(key.byte);
        }
        return PromptEdit::typing;
    default:
        return PromptEdit::typing;
    }
}

void draw_prompt_row(const Model& model, Frame* frame) {
    const int rows = model.window.ws_row;
    const int cols = model.window.ws_col;
    if (rows <= 0 || cols <= 0) {
        return; // not a terminal: nothing to draw on
    }
    const std::string& typed = model.overlay.typed;
    const int input_col = draw_bottom_message(
        frame, model.window, model_palette(model).prompt_label, prompt_label(model.overlay.prompt));
    // Up to the last column, left free for the cursor.
    const int field = cols - input_col;
    const auto count = static_cast<int>(typed.size());
    int end = 0;
    if (ascii_only(typed)) {
        const int shown = count < field ? count : (field > 0 ? field : 0);
        end = put_text(frame, rows, input_col,
                       std::string_view{typed}.substr(static_cast<std::size_t>(count - shown)),
                       model_palette(model).prompt_text);
    } else {
        const std::string_view tail = std::string_view{typed}.substr(
            fitting_tail_start(typed, field > 0 ? field : 0, TabShow::one_blank));
        std::string out;
        append_cut(out, tail, field > 0 ? field : 0, TabShow::one_blank);
        end = put_text(frame, rows, input_col, out, model_palette(model).prompt_text);
    }
    frame->cursor_row = rows;
    frame->cursor_col = end <= cols ? end : cols;
    frame->cursor_shown = true;
}

void draw_prompt_error(const Model& model, Frame* frame) {
    draw_bottom_message(frame, model.window, model_palette(model).message_error,
                        model.overlay.error);
}
