// The draw step: one whole frame from the model, changing nothing.
#include "ui/frame.hpp"

#include <cstdio>

#include "nav/model.hpp"
#include "term/sequences.hpp"
#include "ui/about.hpp"
#include "ui/bottom_note.hpp"
#include "ui/menu_view.hpp"
#include "ui/prompt.hpp"
#include "ui/status_line.hpp"
#include "ui/text_view.hpp"

void draw_frame(const Model& model) {
    // Only a prompt shows the cursor, after what is typed.
    std::fputs(seq::hide_cursor, stdout);
    if (model.overlay.kind == OverlayKind::about) {
        draw_about_screen(model);
        return;
    }
    const Page* page = model.history.current;
    if (page == nullptr || !page->content) {
        // The first page, still loading: nothing to show yet.
        std::fputs(seq::clear_screen, stdout);
    } else if (model.shown.menu) {
        draw_menu(model);
    } else {
        draw_text(model);
    }
    switch (model.overlay.kind) {
    case OverlayKind::prompt:
        draw_prompt_row(model);
        return;
    case OverlayKind::prompt_error:
        draw_prompt_error(model);
        return;
    case OverlayKind::none:
    case OverlayKind::about:
        break;
    }
    if (model.fetch.active && !model.fetch.progress.empty()) {
        draw_fetch_progress(model.window, model.fetch.progress);
    } else if (!model.message.empty()) {
        draw_error_message(model.window, model.message);
    } else {
        draw_bottom_note(model);
    }
}
