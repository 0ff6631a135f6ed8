// The page on screen in the model: showing it, keeping its place within its content and the
// window, and the work left for after its first frame.
#include "ui/page_on_screen.hpp"

#include "nav/line_count.hpp"
#include "nav/model.hpp"
#include "nav/text_position.hpp"
#include "ui/geometry.hpp"
#include "ui/text_view.hpp"

namespace {

// Once the items are whole: the layout, and the kept place bounded to them and to the window.
void place_menu(Model* model) {
    ShownPage& shown = model->shown;
    shown.layout =
        menu_layout({shown.items.items.get(), static_cast<std::size_t>(shown.items.count)});
    shown.place =
        bound_menu_place(shown.layout, shown.kept_selected, shown.kept_top, rows_of(*model));
    shown.place_rows = rows_of(*model);
    shown.placed = true;
}

} // namespace

int rows_of(const Model& model) {
    return content_rows(model.window.ws_row);
}

const char* current_content(const Model& model) {
    const Page* page = model.history.current;
    return page != nullptr && page->content ? page->content.get() : nullptr;
}

void measure_text_page(Model* model) {
    ShownPage& shown = model->shown;
    const char* content = current_content(*model);
    if (content == nullptr || shown.menu || shown.text_lines >= 0) {
        return;
    }
    const TextMeasure measure = measure_text(content);
    shown.text_lines = measure.lines;
    shown.text_size = measure.size;
}

// The text's first row on screen kept within the text, and no row left empty while rows
// remain above.
void bound_text(Model* model) {
    ShownPage& shown = model->shown;
    const char* content = current_content(*model);
    if (content == nullptr) {
        return;
    }
    const TextRows rows = text_rows(*model);
    if (shown.top.line == nullptr) {
        // A line kept from a visit before: found once, within the text.
        long line = shown.top.line_index;
        const long last = shown.text_lines > 0 ? shown.text_lines - 1 : 0;
        line = line < 0 ? 0 : (line > last ? last : line);
        shown.top = {skip_lines(content, line), line, shown.top.row};
    }
    shown.top = bounded_place(rows, shown.top, text_visible_rows(model->window.ws_row));
}

void show_current_page(Model* model) {
    ShownPage& shown = model->shown;
    prepare_shown_page(&shown, model->history.current, rows_of(*model));
    const char* content = current_content(*model);
    if (content == nullptr) {
        return;
    }
    if (shown.menu) {
        if (!shown.placed && shown.build.content == nullptr) {
            place_menu(model);
        }
        return;
    }
    // A place kept from a visit or a fetch before is bounded to this content first; the top is
    // always within the text.
    if (shown.top.line == nullptr && (shown.top.line_index != 0 || shown.top.row != 0)) {
        measure_text_page(model);
    }
    bound_text(model);
}

// Before the history moves: the page left keeps where the user was on it.
void leave_current_page(Model* model) {
    remember_place(model->shown, model->history.current);
}

// A window resized: a marked link stays on screen, and no content row is left empty while rows
// remain below.
void fit_to_window(Model* model, const winsize& window) {
    ShownPage& shown = model->shown;
    if (current_content(*model) == nullptr || shown.menu) {
        model->window = window;
    }
    if (current_content(*model) == nullptr) {
        return;
    }
    if (shown.menu) {
        if (shown.placed && shown.place_rows != rows_of(*model)) {
            shown.place =
                resize_menu_place(shown.layout, shown.place, shown.place_rows, rows_of(*model));
            shown.place_rows = rows_of(*model);
        }
        return;
    }
    // The row that held the first byte on screen holds it after the lines are laid out again.
    const TextRows before = text_rows(*model);
    model->window = window;
    if (shown.top.line != nullptr) {
        shown.top = reflow_place(before, text_rows(*model), shown.top);
    }
    bound_text(model);
}

void switch_wrap(Model* model) {
    ShownPage& shown = model->shown;
    const bool text = current_content(*model) != nullptr && !shown.menu;
    const TextRows before = text ? text_rows(*model) : TextRows{};
    model->wrap = !model->wrap;
    if (!text) {
        return;
    }
    measure_text_page(model);
    shown.left = 0;
    if (shown.top.line != nullptr) {
        shown.top = reflow_place(before, text_rows(*model), shown.top);
    }
    bound_text(model);
}

bool has_pending_work(const Model& model) {
    const ShownPage& shown = model.shown;
    if (current_content(model) == nullptr || !(shown.key.page == model.history.current)) {
        return false;
    }
    return shown.menu ? !shown.placed : shown.text_lines < 0;
}

bool do_pending_work(Model* model) {
    ShownPage& shown = model->shown;
    const char* content = current_content(*model);
    if (content == nullptr) {
        return false;
    }
    if (shown.menu) {
        const int top = shown.kept_top;
        const int selected = shown.kept_selected;
        finish_menu_items(&shown.items, &shown.build);
        place_menu(model);
        return shown_menu_top(shown) != top || shown_selected_ordinal(shown) != selected;
    }
    measure_text_page(model);
    bound_text(model);
    return false;
}
