// A question on the bottom row, "... (y/n)": y does what the question says, any other key no.
#include "ui/confirm.hpp"

#include <tuple>
#include <utility>

#include "nav/model.hpp"
#include "term/frame.hpp"
#include "ui/bottom_message.hpp"
#include "ui/looks.hpp"

void ask_to_confirm(Model* model, std::string question, OpenWith yes) {
    model->overlay = Overlay{};
    model->overlay.kind = OverlayKind::confirm;
    model->overlay.confirm = {std::move(question), std::move(yes)};
}

void key_in_confirm(Model* model, DecodedKey key) {
    OpenWith yes = std::move(model->overlay.confirm.yes);
    model->overlay = Overlay{};
    if (key.key == Key::byte && (key.byte == 'y' || key.byte == 'Y')) {
        model->hand_over = std::move(yes.commands);
    }
}

void draw_confirm(const Model& model, Frame* frame) {
    std::ignore = draw_bottom_message(frame, model.window, model_palette(model).prompt_label,
                                      model.overlay.confirm.question);
}
