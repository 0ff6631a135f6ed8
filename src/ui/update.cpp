// The update step: every event the loop sees changes the model here, and only here.
#include "ui/update.hpp"

#include <climits>
#include <string>
#include <tuple>
#include <utility>

#include "gopher/fields.hpp"
#include "gopher/menu.hpp"
#include "nav/line_count.hpp"
#include "nav/model.hpp"
#include "ui/geometry.hpp"
#include "ui/keys.hpp"
#include "ui/prompt.hpp"
#include "ui/status_line.hpp"
#include "ui/text_view.hpp"

namespace {

using Clock = std::chrono::steady_clock;

const char* search_too_long = "Error: Search too long.";
const char* invalid_address = "Error: Invalid Gopher address format. Press any key.";

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
    // A line kept from a visit or a fetch before is bounded to this content first; the top is
    // always within the text.
    if (shown.text_top != 0 && shown.text_lines < 0) {
        shown.text_lines = count_lines(content);
    }
    bound_text(model);
}

namespace {

// Before the history moves: the page left keeps where the user was on it.
void leave_current_page(Model* model) {
    remember_place(model->shown, model->history.current);
}

void end_fetch(Model* model) {
    Fetch& fetch = model->fetch;
    Transaction& t = fetch.transaction;
    fetch.active = false;
    fetch.progress.clear();
    if (t.state == TransactionState::done) {
        leave_current_page(model);
        accept_fetched(&model->history, std::move(t.content));
        t = Transaction{};
        show_current_page(model);
        return;
    }
    // The first page has nothing to go back to: its failure ends the run.
    if (model->history.current == nullptr) {
        model->fatal_message = t.failure;
        model->fatal_notes = std::move(t.notes);
        model->running = false;
    } else {
        drop_fetch(&model->history);
        model->message = t.failure;
    }
    t = Transaction{};
}

void start_fetch(Model* model, Clock::time_point now) {
    const Page* page = page_to_fetch(&model->history);
    if (page == nullptr || model->fetch.active) {
        return;
    }
    Fetch& fetch = model->fetch;
    fetch.transaction = Transaction{};
    fetch.active = true;
    fetch.progress.clear();
    fetch.next_progress = now + std::chrono::milliseconds(progress_delay_ms);
    begin_transaction(&fetch.transaction, page->address, fetch.limits);
    if (transaction_finished(fetch.transaction)) {
        end_fetch(model);
    }
}

void cancel_fetch(Model* model) {
    if (!model->fetch.active) {
        return;
    }
    model->fetch.active = false;
    model->fetch.progress.clear();
    std::string notes = std::move(model->fetch.transaction.notes);
    model->fetch.transaction = Transaction{};
    if (model->history.current == nullptr) {
        model->fatal_message = cancelled_message;
        model->fatal_notes = std::move(notes);
        model->running = false;
        return;
    }
    drop_fetch(&model->history);
    model->message = cancelled_message;
}

bool step_fetch(Model* model, short revents, Clock::time_point now) {
    Fetch& fetch = model->fetch;
    if (!fetch.active) {
        return false;
    }
    Transaction& t = fetch.transaction;
    if (revents != 0 || now >= transaction_wait(t).deadline) {
        step_transaction(&t, revents, now);
    }
    if (transaction_finished(t)) {
        end_fetch(model);
        return true;
    }
    if (now < fetch.next_progress) {
        return false;
    }
    fetch.next_progress = now + std::chrono::milliseconds(progress_interval_ms);
    const Page* page = page_to_fetch(&model->history);
    std::string text = t.state == TransactionState::connecting
                           ? connecting_text(page->address.host, page->address.port)
                           : receiving_text(t.used);
    if (text == fetch.progress) {
        return false;
    }
    fetch.progress = std::move(text);
    return true;
}

Address item_address(const Model& model, const MenuItem& item, std::string_view selector) {
    const Page& page = *model.history.current;
    const char* content = page.content.get();
    Address address;
    address.host = menu_item_host(item, content, page.address.host.c_str());
    address.port = item.port;
    address.type = item.type;
    address.selector = selector;
    return address;
}

// The item on the selected row: a search asks for its query, any other link is asked for.
void open_item(Model* model, const MenuItem& item) {
    if (item.type == '7') {
        model->overlay = Overlay{};
        model->overlay.kind = OverlayKind::prompt;
        model->overlay.prompt = PromptKind::search;
        model->overlay.search = item;
        return;
    }
    const char* content = model->history.current->content.get();
    push_page(&model->history, item_address(*model, item, menu_item_selector(item, content)));
}

void accept_prompt(Model* model) {
    Overlay& overlay = model->overlay;
    if (overlay.typed.empty()) {
        overlay = Overlay{};
        return;
    }
    if (overlay.prompt == PromptKind::search) {
        const MenuItem item = overlay.search;
        const std::string_view selector =
            menu_item_selector(item, model->history.current->content.get());
        // Cut to a selector's room, the request would lose its query, or all of it past the TAB.
        if (selector.size() + 1 + overlay.typed.size() > selector_max) {
            overlay = Overlay{};
            overlay.kind = OverlayKind::prompt_error;
            overlay.error = search_too_long;
            return;
        }
        std::string query = std::string(selector) + '\t' + overlay.typed;
        overlay = Overlay{};
        push_page(&model->history, item_address(*model, item, query));
        return;
    }
    if (std::optional<Address> address = parse_gopher_address(overlay.typed)) {
        overlay = Overlay{};
        push_page(&model->history, *address);
        return;
    }
    overlay = Overlay{};
    overlay.kind = OverlayKind::prompt_error;
    overlay.error = invalid_address;
    overlay.reopen = true;
}

void open_prompt(Model* model, PromptKind kind) {
    model->overlay = Overlay{};
    model->overlay.kind = OverlayKind::prompt;
    model->overlay.prompt = kind;
}

void key_in_overlay(Model* model, DecodedKey key) {
    Overlay& overlay = model->overlay;
    switch (overlay.kind) {
    case OverlayKind::about:
        // Any one key closes it, an arrow's whole sequence included.
        overlay = Overlay{};
        return;
    case OverlayKind::prompt_error:
        // The key only dismisses the message.
        if (overlay.reopen) {
            open_prompt(model, PromptKind::address);
        } else {
            overlay = Overlay{};
        }
        return;
    case OverlayKind::prompt:
        switch (edit_prompt(&overlay, key)) {
        case PromptEdit::accepted:
            accept_prompt(model);
            return;
        case PromptEdit::cancelled:
            overlay = Overlay{};
            return;
        case PromptEdit::typing:
            return;
        }
        return;
    case OverlayKind::none:
        return;
    }
}

void move_in_page(Model* model, Key key) {
    ShownPage& shown = model->shown;
    if (shown.menu) {
        if (shown.placed) {
            shown.place = move_in_menu(shown.layout, shown.place, rows_of(*model), key);
            shown.place_rows = rows_of(*model);
        }
        return;
    }
    shown.text_top = scroll_text_top(shown.text_top, key, text_visible_rows(model->window.ws_row));
    bound_text(model);
}

void key_in_view(Model* model, DecodedKey key) {
    ShownPage& shown = model->shown;
    switch (view_action(key)) {
    case Action::move:
        move_in_page(model, key.key);
        return;
    case Action::open:
        // Only the item the user can see marked is opened.
        if (shown.menu && shown.placed && marker_on_screen(shown.place, rows_of(*model))) {
            open_item(model, shown.layout.rows[static_cast<std::size_t>(shown.place.selected)]);
        }
        return;
    case Action::back:
        leave_current_page(model);
        if (go_back(&model->history)) {
            show_current_page(model);
        }
        return;
    case Action::forward:
        leave_current_page(model);
        if (go_forward(&model->history)) {
            show_current_page(model);
        }
        return;
    case Action::open_address:
        open_prompt(model, PromptKind::address);
        return;
    case Action::reload:
        reload_page(&model->history);
        return;
    case Action::about:
        model->overlay = Overlay{};
        model->overlay.kind = OverlayKind::about;
        return;
    case Action::quit:
        model->running = false;
        return;
    case Action::none:
        return;
    }
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

} // namespace

bool wants_fetch(const Model& model) {
    return model.running && !model.fetch.active && page_to_fetch(&model.history) != nullptr;
}

bool has_pending_work(const Model& model) {
    const ShownPage& shown = model.shown;
    if (current_content(model) == nullptr || !(shown.key.page == model.history.current)) {
        return false;
    }
    return shown.menu ? !shown.placed : shown.text_lines < 0;
}

bool update(Model* model, const Event& event, Clock::time_point now) {
    switch (event.kind) {
    case EventKind::fetch:
        start_fetch(model, now);
        return false;
    case EventKind::resize:
        fit_to_window(model, event.window);
        return true;
    case EventKind::input_ended:
        // Nobody is left to press 'q'; what a prompt held is dropped.
        model->running = false;
        return false;
    case EventKind::cancel:
        cancel_fetch(model);
        return true;
    case EventKind::fetch_ready:
        return step_fetch(model, event.revents, now);
    case EventKind::time:
        return step_fetch(model, 0, now);
    case EventKind::idle:
        return do_pending_work(model);
    case EventKind::key:
        break;
    }
    // A failed fetch's words stay until the next key, which then acts as usual.
    model->message = nullptr;
    if (model->overlay.kind != OverlayKind::none) {
        key_in_overlay(model, event.key);
    } else {
        key_in_view(model, event.key);
    }
    // Every key read ends with a frame, even one that changes nothing.
    return true;
}
