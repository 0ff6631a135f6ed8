// A menu page as the update step and the menu view handle it: the first screen built and drawn
// before the rest, then movement keys, passes that keep the items, reloads and resizes, at any
// window size and scroll position the program can reach.
#include <fuzzer/FuzzedDataProvider.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <variant>

#include "fuzz_check.hpp"
#include "gopher/menu.hpp"
#include "gopher/menu_items.hpp"
#include "nav/menu_movement.hpp"
#include "nav/model.hpp"
#include "nav/shown_page.hpp"
#include "support/menu_build.hpp"
#include "support/reference.hpp"
#include "term/frame.hpp"
#include "ui/geometry.hpp"
#include "ui/menu_view.hpp"
#include "ui/page_on_screen.hpp"
#include "ui/update.hpp"

namespace {

// A frame of the window's size, drawn and dropped: only that drawing survives is under test.
void draw(const Model& model) {
    Frame frame = make_frame(model.window.ws_row, model.window.ws_col);
    draw_menu(model, &frame);
}

const char* content_of(const Model& model) {
    return model.history.current->content.get();
}

// The record holds the first `count` items of the whole menu, and nothing else.
void check_items(const Model& model, const MenuItems& whole, int count) {
    const MenuItems& items = model.shown.items;
    FUZZ_CHECK(item_count(items) == count);
    const char* content = content_of(model);
    const char* host = model.history.current->address.host.c_str();
    int selectable = 0;
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        FUZZ_CHECK(reference::written_out(items.items[at], content, host) ==
                   reference::written_out(whole.items[at], content, host));
        selectable += items.items[at].selectable;
    }
    FUZZ_CHECK(items.selectable_count == selectable);
}

// What holds after every step: the screen within the menu and full while rows remain, what the
// views and the page read following the record's place, and the marker on screen whenever a
// link is.
void check_place(const Model& model) {
    const ShownPage& shown = model.shown;
    const int rows = content_rows(model.window.ws_row);
    const int count = item_count(shown.items);
    const MenuPlace place = shown.place;
    FUZZ_CHECK(shown.placed && shown_menu_top(shown) == place.top);
    FUZZ_CHECK(place.top >= 0);
    if (rows > 0) {
        FUZZ_CHECK(place.top <= (count > rows ? count - rows : 0));
    }
    if (shown.layout.first_link < 0) {
        FUZZ_CHECK(place.selected == -1);
        return;
    }
    FUZZ_CHECK(place.selected >= 0 && place.selected < count);
    const MenuItem& selected = shown.items.items[static_cast<std::size_t>(place.selected)];
    FUZZ_CHECK(selected.selectable && selected.ordinal == shown_selected_ordinal(shown));
    if (!marker_on_screen(place, rows)) {
        for (int row = place.top; row < place.top + rows && row < count; ++row) {
            FUZZ_CHECK(!shown.items.items[static_cast<std::size_t>(row)].selectable);
        }
    }
}

Content copy_of(const std::string& text) {
    // Exact size, so that a read past the NUL is caught.
    Content content{static_cast<char*>(std::malloc(text.size() + 1))};
    std::memcpy(content.get(), text.c_str(), text.size() + 1);
    return content;
}

void apply(Model* model, const Event& event) {
    std::ignore = update(model, event, std::chrono::steady_clock::now());
}

// The current page coming on screen, as the update step shows it: the record prepared for the
// first screen, which is drawn while the rest of a long menu waits; then the work left for
// after the frame finishes the items and places the menu.
void check_pass(Model& model, const MenuItems& whole) {
    const Page* page = model.history.current;
    const bool kept = model.shown.key == ShownKey{page, page->fetch};
    const int rows = content_rows(model.window.ws_row);
    const long first_screen = static_cast<long>(page->menu_top) + rows;
    const int selected = page->selected;
    prepare_shown_page(&model.shown, page, rows);
    FUZZ_CHECK(page->selected == selected);
    check_items(model, whole,
                kept || first_screen >= item_count(whole) ? item_count(whole)
                                                          : static_cast<int>(first_screen));
    if (!model.shown.placed) {
        FUZZ_CHECK(has_pending_work(model));
        if (model.shown.build.content != nullptr) {
            draw(model);
        }
        apply(&model, {.kind = EventKind::idle});
    } else if (model.shown.place_rows != rows) {
        apply(&model, {.kind = EventKind::resize, .window = model.window});
    }
    FUZZ_CHECK(!has_pending_work(model));
    check_items(model, whole, item_count(whole));
    check_place(model);
    draw(model);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The screen is not under test here, only that drawing survives.
    if (std::freopen("/dev/null", "w", stdout) == nullptr) {
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    Model model;
    model.window.ws_row = input.ConsumeIntegralInRange<unsigned short>(0, 300);
    model.window.ws_col = input.ConsumeIntegralInRange<unsigned short>(0, 300);
    const int top = input.ConsumeIntegralInRange<int>(0, 1 << 20);

    // The header bar shows the page's URL; a page pushed from a menu line has any port.
    Address address;
    address.port = input.ConsumeIntegral<int>();
    address.type = input.ConsumeIntegral<char>();
    const std::string host = input.ConsumeRandomLengthString(300);
    const std::string selector = input.ConsumeRandomLengthString(1100);
    address.host.assign(host.c_str(), strnlen(host.c_str(), 255));
    address.selector.assign(selector.c_str(), strnlen(selector.c_str(), 1023));
    const std::string keys = input.ConsumeBytesAsString(input.ConsumeIntegralInRange(0, 12));
    const std::string text = input.ConsumeRemainingBytesAsString();
    // Shown as a menu whatever its type: a type that would show the bytes as text becomes 1. Bytes
    // whose first line holds no TAB are text for every type, so they have nothing to test here.
    if (!content_is_menu(address.type, text.c_str())) {
        address.type = '1';
        if (!content_is_menu(address.type, text.c_str())) {
            return 0;
        }
    }
    push_page(&model.history, address);
    accept_fetched(&model.history, copy_of(text));
    Page& page = *model.history.current;

    MenuItems whole;
    build_menu_items(&whole, page.content.get(), page.address.host.c_str(), page.address.port);

    // The top kept on the page survives a reload that yields fewer items, so it can lie past
    // the end.
    page.menu_top = top <= item_count(whole) + 300 ? top : top % (item_count(whole) + 301);
    check_pass(model, whole);
    for (const char byte : keys) {
        const auto key = static_cast<unsigned char>(byte);
        if (key < 0x10) {
            // Another event that shows the same page: items and place are kept.
            check_pass(model, whole);
        } else if (key < 0x20) {
            // A reload: the page keeps its place, and the same bytes come in a new buffer.
            remember_place(model.shown, &page);
            reload_page(&model.history);
            accept_fetched(&model.history, copy_of(text));
            check_pass(model, whole);
        } else if (key < 0x30) {
            // A resize, drawn at once; the selected link stays on screen.
            winsize window = model.window;
            window.ws_row = static_cast<unsigned short>((key & 0x0f) * 20);
            apply(&model, {.kind = EventKind::resize, .window = window});
            check_place(model);
            draw(model);
        } else {
            const Key keys[] = {Key::up,   Key::down, Key::page_up, Key::page_down,
                                Key::home, Key::end,  Key::ignored};
            apply(&model, {.kind = EventKind::key, .key = {.length = 1, .key = keys[key % 7]}});
            FUZZ_CHECK(!model.end && std::holds_alternative<NoOverlay>(model.overlay));
            FUZZ_CHECK(!model.fetch.transfer && model.history.pending == nullptr);
            check_place(model);
            draw(model);
        }
    }
    return 0;
}
