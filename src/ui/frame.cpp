// The draw step: one whole frame from the model, changing nothing.
#include "ui/frame.hpp"

#include <variant>

#include "nav/model.hpp"
#include "ui/about.hpp"
#include "ui/bottom_note.hpp"
#include "ui/bottom_row.hpp"
#include "ui/confirm.hpp"
#include "ui/header.hpp"
#include "ui/looks.hpp"
#include "ui/menu_view.hpp"
#include "ui/prompt.hpp"
#include "ui/status_line.hpp"
#include "ui/text_view.hpp"

Frame draw_frame(const Model& model) {
    // Only a prompt shows the cursor, after what is typed.
    Frame frame = make_frame(model.window.ws_row, model.window.ws_col);
    const Palette& palette = looks_palette(model.looks);
    if (std::holds_alternative<AboutScreen>(model.overlay)) {
        draw_about_screen(model.window, palette, &frame);
        // The about screen's table holds the dark palette's looks.
        for (Cell& cell : frame.cells) {
            cell.attr = in_palette(palette, cell.attr);
        }
        return frame;
    }
    const Page* page = model.history.current;
    if (page == nullptr || !page->content) {
        // The first page, still loading: only where it comes from.
        draw_header(model, &frame);
    } else if (model.shown.menu) {
        draw_menu(model, &frame);
    } else {
        draw_text(model, &frame);
    }
    const BottomRow row = bottom_row(model);
    switch (row.kind) {
    case BottomKind::prompt:
        draw_prompt_row(std::get<Prompt>(model.overlay), model.window, palette, &frame);
        break;
    case BottomKind::prompt_error:
        draw_prompt_error(std::get<PromptError>(model.overlay), model.window, palette, &frame);
        break;
    case BottomKind::confirm:
        draw_confirm_row(std::get<Confirm>(model.overlay), model.window, palette, &frame);
        break;
    case BottomKind::progress:
        draw_fetch_progress(&frame, model.window, row.text, palette.progress);
        break;
    case BottomKind::error:
    case BottomKind::note:
    case BottomKind::done:
        draw_bottom_note(&frame, model.window, row, palette);
        break;
    case BottomKind::empty:
        break;
    }
    return frame;
}
