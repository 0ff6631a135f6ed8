// A question on the bottom row, "... (y/n)": y or Y does what it asks, any other key says no.
#include "ui/confirm.hpp"

#include <utility>

#include "term/frame.hpp"
#include "ui/bottom_message.hpp"
#include "ui/looks.hpp"

void ask(Overlay* overlay, Confirm confirm) {
    *overlay = std::move(confirm);
}

std::optional<ConfirmAction> answer(Confirm* confirm, DecodedKey key) {
    if (key.key == Key::byte && (key.byte == 'y' || key.byte == 'Y')) {
        return std::move(confirm->yes);
    }
    return std::nullopt;
}

void draw_confirm_row(const Confirm& confirm, const winsize& window, const Palette& palette,
                      Frame* frame) {
    const int rows = window.ws_row;
    const int cols = window.ws_col;
    if (rows <= 0 || cols <= 0) {
        return; // not a terminal: nothing to draw on
    }
    const int end = draw_bottom_message(frame, window, palette.prompt_label, confirm.question);
    frame->cursor_row = rows;
    frame->cursor_col = end > 0 && end <= cols ? end : cols;
    frame->cursor_shown = true;
}
