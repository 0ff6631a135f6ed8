// The command keys that the menu view and the text view share.
#include "ui/view_keys.hpp"

#include "nav/browser.hpp"
#include "nav/history.hpp"
#include "ui/prompt.hpp"

bool handle_view_key(Browser* browser, ShownPage* shown, DecodedKey key) {
    if (key.key == Key::back) {
        go_back(browser);
        return true;
    }
    if (key.key != Key::byte) {
        return false;
    }
    switch (key.byte) {
    case 'b':
        go_back(browser);
        return true;
    case 'f':
        go_forward(browser);
        return true;
    case 'o':
        prompt_open_url(browser, shown);
        return true;
    case 'q':
        browser->running = 0;
        return true;
    case 'r':
        reload_page(browser);
        return true;
    default:
        return false;
    }
}
