// The page on screen in the model: showing it, keeping its place within its content and the
// window, and the work left for after its first frame.
#include "ui/page_on_screen.hpp"

#include <climits>
#include <cstring>

#include "nav/line_count.hpp"
#include "nav/model.hpp"
#include "nav/text_position.hpp"
#include "ui/geometry.hpp"
#include "ui/text_lines.hpp"
#include "ui/text_scroll.hpp"
#include "ui/text_view.hpp"

namespace {

// Once the items are whole: the layout, and the kept place bounded to them and to the window.
void place_menu(Model* model) {
    ShownPage& shown = model->shown;
    shown.layout =
        menu_layout({shown.items.items.data(), static_cast<std::size_t>(item_count(shown.items))});
    shown.place =
        bound_menu_place(shown.layout, shown.kept_selected, shown.kept_top, rows_of(*model));
    shown.place_rows = rows_of(*model);
    shown.placed = true;
}

// The items grew: the layout is found again (the array may have moved), the place kept; a
// menu that had no link on screen gets its kept one once it has arrived.
void relayout_menu(Model* model) {
    ShownPage& shown = model->shown;
    shown.layout =
        menu_layout({shown.items.items.data(), static_cast<std::size_t>(item_count(shown.items))});
    if (shown.place.selected < 0 && shown.layout.first_link >= 0) {
        shown.place =
            bound_menu_place(shown.layout, shown.kept_selected, shown.place.top, rows_of(*model));
        shown.place_rows = rows_of(*model);
    }
}

// The text received so far: its length up to the first NUL, found in the bytes that came since
// the last look (its lines are the fetch's count).
void count_arrived(Model* model) {
    ShownPage& shown = model->shown;
    const char* content = current_content(*model);
    const std::size_t used = model->history.current->size;
    if (!shown.text_nul && used > shown.text_size) {
        const void* nul = std::memchr(content + shown.text_size, '\0', used - shown.text_size);
        shown.text_nul = nul != nullptr;
        shown.text_size = nul != nullptr
                              ? static_cast<std::size_t>(static_cast<const char*>(nul) - content)
                              : used;
    }
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
    if (content == nullptr || shown.menu || text_line_count(*model) >= 0) {
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
    if (!shown.top.found) {
        // A line kept from a visit before: found once, within the text.
        long line = shown.top.line;
        const int lines = text_line_count(*model);
        const long last = lines > 0 ? lines - 1 : 0;
        line = line < 0 ? 0 : (line > last ? last : line);
        shown.top = {static_cast<std::size_t>(skip_lines(content, line) - content), line,
                     shown.top.row, true};
    }
    const TextRows rows = text_rows(*model);
    set_text_top(
        &model->shown, rows,
        bounded_place(rows, text_top(*model, rows), text_visible_rows(model->window.ws_row)));
}

void show_current_page(Model* model) {
    ShownPage& shown = model->shown;
    const bool loading = text_arriving(*model);
    prepare_shown_page(&shown, model->history.current, rows_of(*model), loading);
    const char* content = current_content(*model);
    if (content == nullptr) {
        return;
    }
    if (shown.menu) {
        // A menu still arriving is placed among the items there are; more come as they arrive.
        if (!shown.placed && loading) {
            extend_menu_items(&shown.items, &shown.build, content, true, INT_MAX);
            place_menu(model);
        } else if (!shown.placed && shown.build.content == nullptr) {
            place_menu(model);
        }
        return;
    }
    if (loading) {
        count_arrived(model);
    } else if (!shown.top.found && (shown.top.line != 0 || shown.top.row != 0)) {
        // A place kept from a visit or a fetch before is bounded to this content first; the
        // top is always within the text.
        measure_text_page(model);
    }
    bound_text(model);
}

void page_grew(Model* model) {
    ShownPage& shown = model->shown;
    const char* content = current_content(*model);
    if (content == nullptr || !(shown.key.page == model->history.current)) {
        return;
    }
    if (shown.menu) {
        extend_menu_items(&shown.items, &shown.build, content, true, INT_MAX);
        relayout_menu(model);
        return;
    }
    count_arrived(model);
    bound_text(model);
}

void page_loaded(Model* model) {
    ShownPage& shown = model->shown;
    const char* content = current_content(*model);
    if (content == nullptr || !(shown.key.page == model->history.current)) {
        return;
    }
    if (shown.menu) {
        // The last read may have moved the content: the build goes on where it is now.
        extend_menu_items(&shown.items, &shown.build, content, false, INT_MAX);
        finish_menu_items(&shown.items, &shown.build);
        relayout_menu(model);
        return;
    }
    shown.text_lines = -1;
    measure_text_page(model);
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
    const RowPlace top = text_top(*model, before);
    model->window = window;
    const TextRows after = text_rows(*model);
    if (shown.top.found) {
        set_text_top(&model->shown, after, reflow_place(before, after, top));
    }
    bound_text(model);
}

void switch_wrap(Model* model) {
    ShownPage& shown = model->shown;
    const bool text = current_content(*model) != nullptr && !shown.menu;
    if (text) {
        measure_text_page(model);
    }
    const TextRows before = text ? text_rows(*model) : TextRows{};
    model->wrap = !model->wrap;
    if (!text) {
        return;
    }
    shown.left = 0;
    if (shown.top.found) {
        const TextRows after = text_rows(*model);
        set_text_top(&model->shown, after, reflow_place(before, after, text_top(*model, before)));
    }
    bound_text(model);
}

bool has_pending_work(const Model& model) {
    const ShownPage& shown = model.shown;
    if (current_content(model) == nullptr || !(shown.key.page == model.history.current)) {
        return false;
    }
    return shown.menu ? !shown.placed : text_line_count(model) < 0;
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
