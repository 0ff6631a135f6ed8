// What a search shows: its matches marked on screen.
#include "ui/find_view.hpp"

#include <variant>

#include "nav/model.hpp"

const TextMatch* text_match_shown(const Model& model) {
    const PageFind& find = model.find;
    if (find.needle.empty()) {
        return nullptr;
    }
    if (const auto* found = std::get_if<FoundInText>(&find.phase)) {
        return found->page == model.shown.key ? &found->match : nullptr;
    }
    // A search that went on from a match keeps it marked while it looks.
    if (const auto* looking = std::get_if<FindLooking>(&find.phase)) {
        return looking->from && looking->page == model.shown.key ? &*looking->from : nullptr;
    }
    return nullptr;
}

std::optional<long> item_match_shown(const Model& model) {
    const auto* found = std::get_if<FoundInMenu>(&model.find.phase);
    if (found == nullptr || model.find.needle.empty() || !(found->page == model.shown.key)) {
        return std::nullopt;
    }
    return found->item;
}

bool find_marks_shown(const Model& model) {
    return text_match_shown(model) != nullptr || item_match_shown(model).has_value();
}
