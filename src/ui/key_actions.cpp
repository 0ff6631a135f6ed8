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
        open_prompt(&model->overlay, PromptKind::search, "", model->window);
        model->overlay.search = item;
        return;
    }
    if (open_item_elsewhere(model, item)) {
        return;
    }
    const char* content = model->history.current->content.get();
    push_page(&model->history, link_address(*model, item, menu_item_selector(item, content)),
              menu_item_display(item, content));
}

// The search prompt closed without a query: for an address asking for a search, the page is
// not fetched, as a cancelled fetch (on the first page the run ends).
void close_search_prompt(Model* model) {
    const bool for_address = model->overlay.query_for.has_value();
    model->overlay = Overlay{};
    if (for_address) {
        drop_asked_search(model);
    }
}

// The prompt's error; after the next key the prompt is back as it was when reopen is set.
void prompt_error(Overlay* overlay, std::string error, bool reopen) {
    overlay->kind = OverlayKind::prompt_error;
    overlay->error = std::move(error);
    overlay->reopen = reopen;
}

void accept_search(Model* model) {
    Overlay& overlay = model->overlay;
    const std::string& typed = overlay.line.text;
    Address address;
    std::string display;
    if (overlay.query_for) {
        address = *overlay.query_for;
        display = overlay.query_display;
    } else {
        const MenuItem& item = overlay.search;
        const char* content = model->history.current->content.get();
        address = link_address(*model, item, menu_item_selector(item, content));
        display = menu_item_display(item, content);
    }
    // Cut to a selector's room, the request would lose its query, or all of it past the TAB.
    if (address.selector.size() + 1 + typed.size() > selector_max) {
        if (overlay.query_for) {
            prompt_error(&overlay, search_too_long, true);
        } else {
            overlay = Overlay{};
            prompt_error(&overlay, search_too_long, false);
        }
        return;
    }
    address.selector += '\t';
    address.selector += typed;
    overlay = Overlay{};
    push_page(&model->history, address, display);
}

void accept_prompt(Model* model) {
    Overlay& overlay = model->overlay;
    if (overlay.prompt == PromptKind::find) {
        const std::string typed = std::move(overlay.line.text);
        overlay = Overlay{};
        accept_find(model, typed);
        return;
    }
    if (overlay.line.text.empty()) {
        if (overlay.prompt == PromptKind::search) {
            close_search_prompt(model);
        } else {
            overlay = Overlay{};
        }
        return;
    }
    if (overlay.prompt == PromptKind::search) {
        accept_search(model);
        return;
    }
    if (std::optional<Address> address = parse_gopher_address(overlay.line.text)) {
        overlay = Overlay{};
        ask_for_page(model, *address);
        return;
    }
    prompt_error(&overlay, std::string(invalid_address_message(overlay.line.text)) + press_any_key,
                 true);
}

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
    Overlay& overlay = model->overlay;
    switch (overlay.kind) {
    case OverlayKind::about:
        // Any one key closes it, an arrow's whole sequence included.
        overlay = Overlay{};
        return;
    case OverlayKind::prompt_error:
        // The key only dismisses the message.
        if (overlay.reopen) {
            overlay.kind = OverlayKind::prompt;
            overlay.error.clear();
            overlay.reopen = false;
            fit_prompt(&overlay, model->window);
        } else {
            overlay = Overlay{};
        }
        return;
    case OverlayKind::prompt:
        switch (edit_prompt(&overlay, key, model->window)) {
        case PromptEdit::accepted:
            accept_prompt(model);
            return;
        case PromptEdit::cancelled:
            if (overlay.prompt == PromptKind::search) {
                close_search_prompt(model);
            } else {
                overlay = Overlay{};
            }
            return;
        case PromptEdit::typing:
            return;
        }
        return;
    case OverlayKind::confirm:
        if (std::optional<ConfirmAction> yes = answer(&overlay, key)) {
            std::visit(Confirmed{model}, *yes);
        }
        return;
    case OverlayKind::none:
        return;
    }
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
        model->overlay = Overlay{};
        model->overlay.kind = OverlayKind::about;
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
