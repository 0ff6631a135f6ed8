// What the bottom row shows when several things want it.
#include "ui/bottom_row.hpp"

#include "nav/model.hpp"

BottomRow bottom_row(const Model& model) {
    const Overlay& overlay = model.overlay;
    switch (overlay.kind) {
    case OverlayKind::about:
        return {};
    case OverlayKind::prompt:
        return {BottomKind::prompt, overlay.line.text};
    case OverlayKind::prompt_error:
        return {BottomKind::prompt_error, overlay.error};
    case OverlayKind::confirm:
        return {BottomKind::confirm, overlay.confirm.question};
    case OverlayKind::none:
        break;
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
