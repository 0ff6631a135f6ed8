// A model with a page on screen, and keys applied to it as the event loop applies them.
#pragma once

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "nav/history.hpp"
#include "nav/model.hpp"
#include "support/frame_text.hpp"
#include "term/key_decoder.hpp"
#include "ui/frame.hpp"
#include "ui/page_on_screen.hpp"
#include "ui/update.hpp"

// An exact-size copy, so that a read past the NUL is caught.
inline Content content_of(std::string_view text) {
    Content content{static_cast<char*>(std::malloc(text.size() + 1))};
    std::memcpy(content.get(), text.data(), text.size());
    content[text.size()] = '\0';
    return content;
}

inline Address address_of(const char* host, int port, const char* selector, char type) {
    Address address;
    address.host = host;
    address.port = port;
    address.selector = selector;
    address.type = type;
    return address;
}

struct ModelFixture {
    Model model;
    // Draw a frame after each event, as the loop would: the last one is kept, and the text of
    // every one, each ended by a form feed.
    bool draw_frames = false;
    Frame drawn;
    std::string drawn_text;

    ModelFixture() = default;
    // With a first page current, without content yet.
    ModelFixture(const char* host, int port, const char* selector, char type) {
        link_page(&model.history, new_page(address_of(host, port, selector, type)));
    }

    void window(int rows, int cols = 80) {
        model.window.ws_row = static_cast<unsigned short>(rows);
        model.window.ws_col = static_cast<unsigned short>(cols);
    }
    // Stores text as the content of the page asked for (pushed or reloaded) and shows it, as
    // the end of a fetch does, the work left for after the first frame done too.
    void give_content(std::string_view text) {
        remember_place(model.shown, model.history.current);
        accept_fetched(&model.history, content_of(text));
        show_current_page(&model);
        frame();
        settle();
    }
    void frame() {
        if (draw_frames) {
            drawn = draw_frame(model);
            drawn_text += frame_text(drawn) + "\f";
        }
    }
    // The work the loop does between frames.
    void settle() {
        while (has_pending_work(model)) {
            std::ignore =
                update(&model, {.kind = EventKind::idle}, std::chrono::steady_clock::now());
        }
    }
    const char* content() const { return model.history.current->content.get(); }
    const MenuItem& item(int i) const {
        return model.shown.items.items[static_cast<std::size_t>(i)];
    }
    const Page* asked() const { return page_to_fetch(&model.history); }

    // Applies the keys in bytes one by one, as decoded from a settled queue, each followed by
    // the work between frames; stops where the run stops. With end_input the input then ends.
    // Returns the bytes left when the run stopped, or when a key asked for a page (the loop
    // holds the rest until it has arrived).
    std::string_view press(std::string_view bytes, bool end_input = false) {
        while (!model.end && !bytes.empty() && asked() == nullptr) {
            const DecodedKey key = next_key(
                {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()}, true);
            bytes.remove_prefix(static_cast<std::size_t>(key.length));
            std::ignore = update(&model, {.kind = EventKind::key, .key = key},
                                 std::chrono::steady_clock::now());
            settle();
            frame();
        }
        if (end_input && bytes.empty() && asked() == nullptr) {
            std::ignore =
                update(&model, {.kind = EventKind::input_ended}, std::chrono::steady_clock::now());
        }
        return bytes;
    }
};
