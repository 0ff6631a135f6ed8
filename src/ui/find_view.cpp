// What a search shows: its matches marked on screen.
#include "ui/find_view.hpp"

#include "nav/model.hpp"

bool find_marks_shown(const Model& model) {
    const PageFind& find = model.find;
    return find.found && !find.needle.empty() && find.key == model.shown.key;
}
