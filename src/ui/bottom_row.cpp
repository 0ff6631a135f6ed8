// What the bottom row shows when several things want it.
#include "ui/bottom_row.hpp"

#include <variant>

#include "nav/model.hpp"

BottomRow bottom_row(const Model& model) {
    // What is over the page is the strongest; the about screen has no bottom row.
    if (const auto* prompt = std::get_if<Prompt>(&model.overlay)) {
        return {BottomKind::prompt, prompt->line.text};
    }
    if (const auto* error = std::get_if<PromptError>(&model.overlay)) {
        return {BottomKind::prompt_error, error->message};
    }
    if (const auto* confirm = std::get_if<Confirm>(&model.overlay)) {
        return {BottomKind::confirm, confirm->question};
    }
    if (std::holds_alternative<AboutScreen>(model.overlay)) {
        return {};
    }
    if (const auto& fetch = model.fetch.transfer; fetch && !fetch->progress.empty()) {
        return {BottomKind::progress, fetch->progress};
    }
    const Message& message = model.message;
    if (!message.text.empty()) {
        const BottomKind kind = message.kind == MessageKind::error  ? BottomKind::error
                                : message.kind == MessageKind::done ? BottomKind::done
                                                                    : BottomKind::note;
        return {kind, message.text, message.keep_end};
    }
    if (const auto& save = model.save.transfer; save && !save->progress.empty()) {
        return {BottomKind::progress, save->progress};
    }
    return {};
}
