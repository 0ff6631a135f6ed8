// The bookmarks in the model: keeping one (`m`), the bookmarks page (`B`, `r` there) and taking
// one out of it (`d`, once the user says yes).
#include "ui/bookmark_work.hpp"

#include <memory>
#include <string>
#include <utility>

#include "gopher/fields.hpp"
#include "gopher/menu_item.hpp"
#include "gopher/url.hpp"
#include "nav/bookmarks_file.hpp"
#include "nav/model.hpp"
#include "ui/confirm.hpp"
#include "ui/history_work.hpp"
#include "ui/marked_link.hpp"
#include "ui/page_on_screen.hpp"

namespace {

// A place over TLS, which a menu line cannot say, is kept as a link of type 1 or 0 to
// "URL:gophers://HOST:PORT/TSELECTOR", which opens it.
Bookmark over_tls(Bookmark place, bool tls) {
    if (!tls) {
        return place;
    }
    place.selector = "URL:" + gopher_url(place.host, place.port, place.type, place.selector, true);
    place.type = place.type == '0' ? '0' : '1';
    return place;
}

// The page itself as a bookmark: its place, and the words of the link that led to it, else its
// URL.
Bookmark page_bookmark(const Model& model, const Page& page) {
    Bookmark bookmark;
    // An address that ended in "/" has no type: the first line made it a menu or a text.
    bookmark.type = page.address.type != '\0' ? page.address.type : (model.shown.menu ? '1' : '0');
    bookmark.selector = page.address.selector;
    bookmark.host = page.address.host;
    bookmark.port = page.address.port;
    if (!page.display.empty()) {
        bookmark.display = page.display;
    } else {
        char url[address_max + 1] = "";
        format_page_url(page.address, url, sizeof url);
        bookmark.display = url;
    }
    return over_tls(std::move(bookmark), page.address.tls);
}

BookmarksRead read_file(const Model& model) {
    if (model.bookmarks.path.empty()) {
        BookmarksRead none;
        none.reason = model.bookmarks.reason;
        return none;
    }
    return read_bookmarks(model.bookmarks.path);
}

// The bytes read become the page's content; a failure is shown in red and the page left empty.
void show_read(Model* model, Page* page, BookmarksRead read) {
    if (!read.reason.empty()) {
        // Empty, with why in red: not the words for a file with no bookmarks in it.
        model->message = error_message(read_message(read));
        page->incomplete = false;
        fill_page(&model->history, page, "");
        return;
    }
    if (read.cut) {
        model->message = error_message(
            std::string("Error: The bookmarks file is larger than 1 MiB.") + incomplete_note);
    }
    page->incomplete = read.cut;
    fill_page(&model->history, page, bookmarks_page_content(std::move(read.bytes)));
}

} // namespace

void keep_bookmark(Model* model) {
    const Page* page = model->history.current;
    if (page == nullptr || !page->content) {
        return;
    }
    Bookmark bookmark;
    if (const MenuItem* item = marked_item(*model); item != nullptr && item->selectable != 0) {
        if (page->kind == PageKind::history) {
            // The page the entry stands for, without the mark of the page on screen.
            const Page* entry = history_entry(*model, item->ordinal);
            if (entry == nullptr) {
                return;
            }
            bookmark = page_bookmark(*model, *entry);
        } else {
            const char* content = page->content.get();
            // A link to the server of a page over TLS goes over TLS too.
            const Address link = link_address(*model, *item, menu_item_selector(*item, content));
            bookmark.type = item->type;
            bookmark.display = menu_item_display(*item, content);
            bookmark.selector = menu_item_selector(*item, content);
            bookmark.host = menu_item_host(*item, content, page->address.host.c_str());
            bookmark.port = item->port;
            bookmark = over_tls(std::move(bookmark), link.tls);
        }
    } else if (page->kind == PageKind::gopher) {
        bookmark = page_bookmark(*model, *page);
    } else {
        // The program's own pages are no places to come back to.
        return;
    }
    bookmark = link_for_line(std::move(bookmark));
    const std::string display = line_display(bookmark.display);
    const AddResult result = model->bookmarks.path.empty()
                                 ? AddResult{AddStatus::failed, model->bookmarks.reason}
                                 : add_bookmark(model->bookmarks.path, bookmark);
    std::string text = add_message(result, display);
    switch (result.status) {
    case AddStatus::added:
        model->message = done_message(std::move(text));
        return;
    case AddStatus::already:
        model->message = note_message(std::move(text));
        return;
    case AddStatus::failed:
        model->message = error_message(std::move(text));
        return;
    }
}

void open_bookmarks_page(Model* model) {
    close_history_page(model);
    leave_current_page(model);
    Page* page = new_page(Address{.host = {}, .port = 70, .type = '1', .selector = {}});
    page->kind = PageKind::bookmarks;
    link_page(&model->history, page);
    show_read(model, page, read_file(*model));
    show_current_page(model);
}

void reread_bookmarks(Model* model) {
    Page* page = model->history.current;
    if (page == nullptr || page->kind != PageKind::bookmarks) {
        return;
    }
    leave_current_page(model);
    show_read(model, page, read_file(*model));
    show_current_page(model);
}

void ask_to_remove_bookmark(Model* model) {
    const Page* page = model->history.current;
    if (page == nullptr || page->kind != PageKind::bookmarks || model->bookmarks.path.empty()) {
        return;
    }
    const MenuItem* item = marked_item(*model);
    if (item == nullptr || item->selectable == 0) {
        return;
    }
    const char* content = page->content.get();
    RemoveBookmark what{line_spot({content, page->size}, item->display_at),
                        std::string(menu_item_display(*item, content))};
    std::string question = "Remove " + what.display + "? (y/n)";
    ask(&model->overlay, {std::move(question), std::move(what)});
}

void remove_bookmark_now(Model* model, const RemoveBookmark& what) {
    const RemoveResult result = remove_bookmark(model->bookmarks.path, what.spot);
    std::string text = remove_message(result, what.display);
    // The page shows the file as it is now, whatever came of it.
    reread_bookmarks(model);
    model->message = result.status == RemoveStatus::removed ? done_message(std::move(text))
                                                            : error_message(std::move(text));
}
