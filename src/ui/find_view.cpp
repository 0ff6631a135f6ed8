// What a search shows: its matches marked on screen, and its words on the bottom row.
#include "ui/find_view.hpp"

#include <string>

#include "nav/model.hpp"
#include "term/sequences.hpp"
#include "ui/bottom_message.hpp"

bool find_marks_shown(const Model& model) {
    const PageFind& find = model.find;
    return find.found && !find.needle.empty() && find.key == model.shown.key;
}

void draw_find_note(const Model& model) {
    switch (model.find.note) {
    case FindNote::none:
        return;
    case FindNote::wrapped:
        draw_bottom_message_at(model.window, 1, seq::bold_yellow, "Search wrapped.");
        return;
    case FindNote::not_found:
        draw_bottom_message_at(model.window, 1, seq::bold_red,
                                             "Not found: " + model.find.needle);
        return;
    }
}
