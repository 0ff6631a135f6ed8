// The single-byte keys that the menu view and the text view share.
#include "ui/view_keys.hpp"

#include "nav/browser.hpp"
#include "nav/history.hpp"
#include "ui/prompt.hpp"

void handle_view_key(Browser* browser, ShownPage* shown, unsigned char key) {
    switch (key) {
    case 'b':
    case 0x7f:
        go_back(browser);
        break;
    case 'f':
        go_forward(browser);
        break;
    case 'o':
        prompt_open_url(browser, shown);
        break;
    case 'q':
        browser->running = 0;
        break;
    case 'r':
        reload_page(browser);
        break;
    default:
        break;
    }
}
