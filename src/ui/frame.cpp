// The draw step: one whole frame from the model, changing nothing.
#include "ui/frame.hpp"

#include <cstdio>

#include "nav/model.hpp"
#include "term/sequences.hpp"
#include "ui/about.hpp"
#include "ui/bottom_note.hpp"
#include "ui/bottom_row.hpp"
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
    const BottomRow row = bottom_row(model);
    switch (row.kind) {
    case BottomKind::prompt:
        draw_prompt_row(model);
        break;
    case BottomKind::prompt_error:
        draw_prompt_error(model);
        break;
    case BottomKind::progress:
        draw_fetch_progress(model.window, row.text);
        break;
    case BottomKind::error:
    case BottomKind::note:
        draw_bottom_note(model.window, row);
        break;
    case BottomKind::empty:
        break;
    }
}
