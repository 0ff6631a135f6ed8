// The page on screen in the model: showing it, keeping its place within its content and the
// window, and the work left for after its first frame.
#include "ui/page_on_screen.hpp"

#include <climits>
#include <tuple>

#include "nav/line_count.hpp"
#include "nav/model.hpp"
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

// The items grew: the layout is found again (the array may have moved), the place kept; a
// menu that had no link on screen gets its kept one once it has arrived.
void relayout_menu(Model* model) {
    ShownPage& shown = model->shown;
    shown.layout =
        menu_layout({shown.items.items.get(), static_cast<std::size_t>(shown.items.count)});
    if (shown.place.selected < 0 && shown.layout.first_link >= 0) {
        shown.place =
            bound_menu_place(shown.layout, shown.kept_selected, shown.place.top, rows_of(*model));
        shown.place_rows = rows_of(*model);
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

// The text's first line on screen kept within the text, and where it starts found for the frame.
void bound_text(Model* model) {
    ShownPage& shown = model->shown;
    const char* content = current_content(*model);
    if (content == nullptr) {
        return;
    }
    if (shown.text_lines >= 0) {
        shown.text_top = bound_text_top(shown.text_top, shown.text_lines,
                                        text_visible_rows(model->window.ws_row));
    }
    std::ignore = seek_line(&shown.position, content, shown.text_top);
}

void show_current_page(Model* model) {
    ShownPage& shown = model->shown;
    const bool loading = model->fetch.filling == model->history.current;
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
        shown.text_lines = loaded_lines(*model);
    } else if (shown.text_top != 0 && shown.text_lines < 0) {
        // A line kept from a visit or a fetch before is bounded to this content first; the top
        // is always within the text.
        shown.text_lines = count_lines(content);
    }
    bound_text(model);
}

int loaded_lines(const Model& model) {
    const Fetch& fetch = model.fetch;
    const Transaction& t = fetch.transaction;
    const char* bytes = current_content(model);
    const bool cut = t.used > 0 && bytes != nullptr && bytes[t.used - 1] != '\n';
    const std::size_t lines = fetch.newlines + (cut ? 1 : 0);
    return lines > INT_MAX ? INT_MAX : static_cast<int>(lines);
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
    shown.text_lines = loaded_lines(*model);
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
    shown.text_lines = count_lines(content);
    bound_text(model);
}

// Before the history moves: the page left keeps where the user was on it.
void leave_current_page(Model* model) {
    remember_place(model->shown, model->history.current);
}

// A window resized: a marked link stays on screen, and no content row is left empty while rows
// remain below.
void fit_to_window(Model* model, const winsize& window) {
    model->window = window;
    ShownPage& shown = model->shown;
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
    shown.text_lines = count_lines(content);
    bound_text(model);
    return false;
}
