// Where links go: the items that are no Gopher document (telnet
// sessions, web links), and the URL the `u` key shows.
#include "ui/item_links.hpp"

#include <optional>
#include <string>

#include "gopher/item_type.hpp"
#include "gopher/menu.hpp"
#include "gopher/url.hpp"
#include "nav/model.hpp"
#include "ui/confirm.hpp"
#include "ui/fetch_work.hpp"
#include "ui/link_programs.hpp"
#include "ui/marked_link.hpp"
#include "ui/page_on_screen.hpp"
#include "ui/save_work.hpp"

namespace {

// A menu or a text over TLS as a menu line can name it, the way the bookmarks file keeps one:
// type 1 or 0, the selector "URL:gophers://...".
bool tls_link(char type, std::string_view selector) {
    return (type == '1' || type == '0') && selector.starts_with("URL:gophers://");
}

// The gopher:// (or gophers://) URL of an address, which typed back opens the same page.
std::string page_url(const Address& address) {
    if (address.type == '\0') {
        // The address ended in "/" (it has no selector then), and so does its URL.
        std::string url = gopher_url(address.host, address.port, '1', "", address.tls);
        url.pop_back();
        return url;
    }
    return gopher_url(address.host, address.port, address.type, address.selector, address.tls);
}

// A web link's or a telnet session's URL, else the item's gopher:// URL.
std::string item_url(const Model& model, const MenuItem& item) {
    const Address address =
        link_address(model, item, menu_item_selector(item, current_content(model)));
    if (item_kind(item.type) == ItemKind::telnet) {
        return telnet_url(item.type, address.host, address.port);
    }
    if (item.type == 'h' || tls_link(item.type, address.selector)) {
        if (const std::optional<std::string_view> web = web_url(address.selector)) {
            return std::string(*web);
        }
    }
    return page_url(address);
}

// With BROWSER set, the question; else the URL as a note.
void open_web_link(Model* model, std::string_view url) {
    const std::optional<std::string>& browser = model->programs.browser;
    if (!browser) {
        model->message = note_message(std::string(url), true);
        return;
    }
    if (!safe_to_hand_on(url)) {
        model->message = error_message(std::string(unsafe_link_message));
        return;
    }
    std::vector<Command> commands = browser_commands(*browser, url);
    if (commands.empty()) {
        model->message = note_message(std::string(url), true);
        return;
    }
    const char* path = model->programs.path ? model->programs.path->c_str() : nullptr;
    std::string question = browser_question(url, commands[first_runnable(commands, path)]);
    ask(&model->overlay, Confirm{std::move(question), OpenWith{std::move(commands)}});
}

// With the telnet (or tn3270) program on PATH, the question; else the URL as a note.
void open_session(Model* model, const MenuItem& item) {
    const std::string_view selector = menu_item_selector(item, current_content(*model));
    const Address address = link_address(*model, item, selector);
    const std::string_view program = item.type == 'T' ? "tn3270" : "telnet";
    const char* path = model->programs.path ? model->programs.path->c_str() : nullptr;
    const std::optional<std::string> found = find_program(program, path);
    if (!found) {
        model->message = note_message(item_url(*model, item), true);
        return;
    }
    if (!safe_to_hand_on(address.host)) {
        model->message = error_message(std::string(unsafe_link_message));
        return;
    }
    std::string question = telnet_question(program, address.host, address.port, selector);
    ask(&model->overlay, Confirm{std::move(question),
                                 OpenWith{{telnet_command(program, address.host, address.port)}}});
}

} // namespace

bool open_item_elsewhere(Model* model, const MenuItem& item) {
    switch (item_kind(item.type)) {
    case ItemKind::saved:
        ask_to_save_item(model, item);
        return true;
    case ItemKind::telnet:
        open_session(model, item);
        return true;
    default:
        break;
    }
    const std::string_view selector = menu_item_selector(item, current_content(*model));
    if (item.type != 'h' && !tls_link(item.type, selector)) {
        return false;
    }
    const std::optional<std::string_view> web = web_url(selector);
    if (!web) {
        return false;
    }
    if (web->starts_with("gopher://") || web->starts_with("gophers://")) {
        if (std::optional<Address> address = parse_gopher_address(*web)) {
            ask_for_page(model, *address, menu_item_display(item, current_content(*model)));
            return true;
        }
    }
    open_web_link(model, *web);
    return true;
}

void show_url(Model* model) {
    const Page* page = model->history.current;
    if (page == nullptr || !page->content) {
        return;
    }
    if (const MenuItem* item = marked_item(*model)) {
        model->message = note_message(item_url(*model, *item), true);
        return;
    }
    model->message = note_message(page_url(page->address), true);
}
