// What a key does: in the overlay (a prompt, its error, the about screen) or in the view.
#include "ui/key_actions.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <variant>

#include "gopher/fields.hpp"
#include "gopher/menu.hpp"
#include "nav/model.hpp"
#include "ui/bookmark_work.hpp"
#include "ui/confirm.hpp"
#include "ui/fetch_work.hpp"
#include "ui/find_work.hpp"
#include "ui/geometry.hpp"
#include "ui/history_work.hpp"
#include "ui/item_links.hpp"
#include "ui/keys.hpp"
#include "ui/marked_link.hpp"
#include "ui/page_on_screen.hpp"
#include "ui/prompt.hpp"
#include "ui/save_work.hpp"
#include "ui/text_lines.hpp"
#include "ui/text_scroll.hpp"
#include "ui/text_view.hpp"

namespace {

// What a yes to the bottom row's question does.
struct Confirmed {
    Model* model;
    void operator()(const RemoveBookmark& what) const { remove_bookmark_now(model, what); }
    void operator()(OpenWith& open) const { model->hand_over = std::move(open.commands); }
};

const char* search_too_long = "Error: Search too long.";
// After the reason: the prompt comes back with what was typed.
const char* press_any_key = " Press any key.";

// The item on the selected row: a search asks for its query, any other link is asked for.
void open_item(Model* model, const MenuItem& item) {
    if (item.type == '7') {
        open_prompt(&model->overlay, PromptKind::search, "", model->window, item);
        return;
    }
    if (open_item_elsewhere(model, item)) {
        return;
    }
    const char* content = model->history.current->content.get();
    push_page(&model->history, link_address(*model, item, menu_item_selector(item, content)),
              menu_item_display(item, content));
}

// The prompt closed without a line to act on. For an address asking for a search, the page is
// not fetched, as a cancelled fetch (on the first page the run ends). The prompt may be the
// overlay's own: it is read before the overlay closes.
void close_prompt(Model* model, const Prompt& prompt) {
    const bool asked_search = std::holds_alternative<QueryFor>(prompt.target);
    model->overlay = NoOverlay{};
    if (asked_search) {
        drop_asked_search(model);
    }
}

// The search prompt's query, taken off the overlay, goes to its item or its address.
void accept_search(Model* model, Prompt prompt) {
    const std::string& typed = prompt.line.text;
    Address address;
    std::string display;
    if (const auto* query = std::get_if<QueryFor>(&prompt.target)) {
        address = query->address;
        display = query->display;
    } else if (const auto* item = std::get_if<MenuItem>(&prompt.target)) {
        const char* content = model->history.current->content.get();
        address = link_address(*model, *item, menu_item_selector(*item, content));
        display = menu_item_display(*item, content);
    } else {
        return; // a search prompt always has what it is for
    }
    // Cut to a selector's room, the request would lose its query, or all of it past the TAB.
    if (address.selector.size() + 1 + typed.size() > selector_max) {
        // An address has nothing else to go to: its prompt comes back.
        std::optional<Prompt> reopen;
        if (std::holds_alternative<QueryFor>(prompt.target)) {
            reopen = std::move(prompt);
        }
        model->overlay = PromptError{search_too_long, std::move(reopen)};
        return;
    }
    address.selector += '\t';
    address.selector += typed;
    push_page(&model->history, address, display);
}

// Enter in a prompt other than the save prompt's.
void accept_prompt(Model* model) {
    Prompt prompt = std::move(std::get<Prompt>(model->overlay));
    model->overlay = NoOverlay{};
    if (prompt.kind == PromptKind::find) {
        accept_find(model, prompt.line.text);
        return;
    }
    if (prompt.line.text.empty()) {
        close_prompt(model, prompt);
        return;
    }
    switch (prompt.kind) {
    case PromptKind::search:
        accept_search(model, std::move(prompt));
        return;
    case PromptKind::address:
    case PromptKind::save:
    case PromptKind::find:
        break;
    }
    if (std::optional<Address> address = parse_gopher_address(prompt.line.text)) {
        ask_for_page(model, *address);
        return;
    }
    std::string message = std::string(invalid_address_message(prompt.line.text)) + press_any_key;
    model->overlay = PromptError{std::move(message), std::move(prompt)};
}

// A key in what is over the page. Each handler may replace the overlay, and then no longer
// touches the state it was given.
struct KeyInOverlay {
    Model* model;
    DecodedKey key;

    void operator()(NoOverlay /*none*/) const {}
    void operator()(AboutScreen /*about*/) const {
        // Any one key closes it, an arrow's whole sequence included.
        model->overlay = NoOverlay{};
    }
    void operator()(PromptError& error) const {
        // The key only dismisses the message.
        if (!error.reopen) {
            model->overlay = NoOverlay{};
            return;
        }
        Prompt prompt = std::move(*error.reopen);
        fit_prompt(&prompt, model->window);
        model->overlay = std::move(prompt);
    }
    void operator()(Prompt& prompt) const {
        switch (edit_prompt(&prompt, key, model->window)) {
        case PromptEdit::accepted:
            accept_prompt(model);
            return;
        case PromptEdit::cancelled:
            close_prompt(model, prompt);
            return;
        case PromptEdit::typing:
            return;
        }
    }
    void operator()(Confirm& confirm) const {
        std::optional<ConfirmAction> yes = answer(&confirm, key);
        model->overlay = NoOverlay{};
        if (yes) {
            std::visit(Confirmed{model}, *yes);
        }
    }
};

void move_in_page(Model* model, Key key) {
    ShownPage& shown = model->shown;
    if (shown.menu) {
        if (shown.placed) {
            const MenuPlace moved = move_in_menu(shown.layout, shown.place, rows_of(*model), key);
            // While the menu arrives its last link is no end: Down does not wrap to the top.
            if (key == Key::down && page_loading(*model) && moved.selected < shown.place.selected) {
                return;
            }
            shown.place = moved;
            shown.place_rows = rows_of(*model);
        }
        return;
    }
    measure_text_page(model);
    const TextRows rows = text_rows(*model);
    set_text_top(&model->shown, rows,
                 scroll_text(rows, text_top(*model, rows), key,
                             text_visible_rows(model->window.ws_row), text_line_count(*model)));
}

// Right and Left scroll a text sideways while its lines are cut; elsewhere they do nothing.
void move_sideways(Model* model, Key key) {
    ShownPage& shown = model->shown;
    if (shown.menu || model->wrap || current_content(*model) == nullptr) {
        return;
    }
    measure_text_page(model);
    const TextRows rows = text_rows(*model);
    shown.left = scroll_sideways(rows, text_top(*model, rows), shown.left, key,
                                 text_visible_rows(model->window.ws_row));
}

// The keys that act otherwise on the history page, which is no visit: true when the key was
// taken here.
bool key_on_history_page(Model* model, Action action) {
    switch (action) {
    case Action::open:
        open_history_entry(model);
        return true;
    case Action::back:
    case Action::cancel:
        close_history_page(model);
        return true;
    case Action::forward:
    case Action::reload:
    case Action::history:
    case Action::remove_bookmark:
        return true;
    default:
        return false;
    }
}

} // namespace

void key_in_overlay(Model* model, DecodedKey key) {
    std::visit(KeyInOverlay{model, key}, model->overlay);
}

void key_in_view(Model* model, DecodedKey key) {
    ShownPage& shown = model->shown;
    const Action action = view_action(key);
    if (model->history.below != nullptr && key_on_history_page(model, action)) {
        return;
    }
    const Page* page = model->history.current;
    const bool own_page = page != nullptr && page->kind != PageKind::gopher;
    switch (action) {
    case Action::move:
        move_in_page(model, view_key(key).key);
        return;
    case Action::sideways:
        move_sideways(model, key.key);
        return;
    case Action::find:
        open_prompt(&model->overlay, PromptKind::find, "", model->window);
        return;
    case Action::find_next:
        find_again(model, FindDirection::forward);
        return;
    case Action::find_previous:
        find_again(model, FindDirection::backward);
        return;
    case Action::wrap:
        switch_wrap(model);
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
        open_prompt(&model->overlay, PromptKind::address, "", model->window);
        return;
    case Action::reload:
        // The bookmarks page is read again, never fetched.
        if (own_page) {
            reread_bookmarks(model);
        } else {
            reload_page(&model->history);
        }
        return;
    case Action::save:
        save_key(model);
        return;
    case Action::show_url:
        // The program's own pages have no URL; their links do.
        if (!own_page || marked_item(*model) != nullptr) {
            show_url(model);
        }
        return;
    case Action::cancel:
        std::ignore = cancel_save(model);
        return;
    case Action::about:
        model->overlay = AboutScreen{};
        return;
    case Action::quit:
        model->end = RunEnd{};
        return;
    case Action::bookmark:
        keep_bookmark(model);
        return;
    case Action::bookmarks:
        open_bookmarks_page(model);
        return;
    case Action::remove_bookmark:
        ask_to_remove_bookmark(model);
        return;
    case Action::history:
        open_history_page(model);
        return;
    case Action::labels:
        if (shown.menu) {
            model->looks.labels = !model->looks.labels;
        }
        return;
    case Action::none:
        return;
    }
}
