// A Browser that owns its history and items however a test ends, with the record of the page
// on screen that the browse loop would hand to the views.
#pragma once

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "nav/browser.hpp"
#include "nav/history.hpp"
#include "nav/shown_page.hpp"

// An exact-size copy, so that a read past the NUL is caught.
inline Content content_of(std::string_view text) {
    Content content{static_cast<char*>(std::malloc(text.size() + 1))};
    std::memcpy(content.get(), text.data(), text.size());
    content[text.size()] = '\0';
    return content;
}

struct OwnedBrowser {
    Browser browser{};
    ShownPage shown;

    OwnedBrowser() = default;
    // With a first page current, without content yet.
    OwnedBrowser(const char* host, int port, const char* selector, char type) {
        link_page(&browser, new_page(host, port, selector, type));
    }
    ~OwnedBrowser() { free_history(browser.current); }
    OwnedBrowser(const OwnedBrowser&) = delete;
    OwnedBrowser& operator=(const OwnedBrowser&) = delete;

    void window(int rows, int cols = 80) {
        browser.winsize.ws_row = static_cast<unsigned short>(rows);
        browser.winsize.ws_col = static_cast<unsigned short>(cols);
    }
    // Stores text as the content of the page asked for (pushed or reloaded), as a fetch does.
    void give_content(std::string_view text) { accept_fetched(&browser, content_of(text)); }
    const char* content() const { return browser.current->content.get(); }
    const MenuItem& item(int i) const { return browser.items[static_cast<std::size_t>(i)]; }
};
