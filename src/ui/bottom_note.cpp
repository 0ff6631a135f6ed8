// The note on the bottom row (a save's outcome, where a link goes) and a save's progress.
#include "ui/bottom_note.hpp"

#include <string_view>
#include <tuple>
#include <utility>

#include "nav/model.hpp"
#include "term/width.hpp"
#include "ui/bottom_message.hpp"
#include "ui/looks.hpp"
#include "ui/status_line.hpp"

void show_note(Model* model, std::string text, bool error, bool keep_end) {
    model->message.clear();
    model->note = Note{std::move(text), error, keep_end};
}

void draw_bottom_note(const Model& model, Frame* frame) {
    const Note& note = model.note;
    if (note.text.empty()) {
        if (model.save.active && !model.save.progress.empty()) {
            draw_fetch_progress(frame, model.window, model.save.progress);
        }
        return;
    }
    std::string_view text = note.text;
    if (note.keep_end) {
        // From column 1, the last column left free.
        const int room = model.window.ws_col > 1 ? model.window.ws_col - 1 : 0;
        text.remove_prefix(fitting_tail_start(text, room, TabShow::one_blank));
    }
    std::ignore = draw_bottom_message_at(frame, model.window, 1,
                                         note.error ? look::bold_red : look::plain, text);
}
