// A question on the bottom row, "... (y/n)": y or Y does what it asks, any other key says no.
#include "ui/confirm.hpp"

#include <utility>

#include "nav/model.hpp"
#include "term/frame.hpp"
#include "ui/bottom_message.hpp"
#include "ui/looks.hpp"

void ask(Overlay* overlay, Confirm confirm) {
    *overlay = Overlay{};
    overlay->kind = OverlayKind::confirm;
    overlay->confirm = std::move(confirm);
}

std::optional<ConfirmAction> answer(Overlay* overlay, DecodedKey key) {
    ConfirmAction action = std::move(overlay->confirm.yes);
    *overlay = Overlay{};
    if (key.key == Key::byte && (key.byte == 'y' || key.byte == 'Y')) {
        return action;
    }
    return std::nullopt;
}

void draw_confirm_row(const Model& model, Frame* frame) {
    const int rows = model.window.ws_row;
    const int cols = model.window.ws_col;
    if (rows <= 0 || cols <= 0) {
        return; // not a terminal: nothing to draw on
    }
    const int end = draw_bottom_message(frame, model.window, model_palette(model).prompt_label,
                                        model.overlay.confirm.question);
    frame->cursor_row = rows;
    frame->cursor_col = end > 0 && end <= cols ? end : cols;
    frame->cursor_shown = true;
}
