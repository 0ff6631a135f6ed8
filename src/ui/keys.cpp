// What the keys do in the menu and text views: one table for both.
#include "ui/keys.hpp"

Action view_action(DecodedKey key) {
    switch (key.key) {
    case Key::up:
    case Key::down:
    case Key::page_up:
    case Key::page_down:
    case Key::home:
    case Key::end:
        return Action::move;
    case Key::right:
    case Key::left:
        return Action::sideways;
    case Key::back:
        return Action::back;
    case Key::escape:
        return Action::cancel;
    case Key::byte:
        break;
    default:
        return Action::none;
    }
    switch (key.byte) {
    case '\r':
    case '\n':
        return Action::open;
    case 'b':
        return Action::back;
    case 'f':
        return Action::forward;
    case 'o':
        return Action::open_address;
    case 'r':
        return Action::reload;
    case 's':
        return Action::save;
    case 'u':
        return Action::show_url;
    case 0x03:
        return Action::cancel;
    case '/':
        return Action::find;
    case 'n':
        return Action::find_next;
    case 'N':
        return Action::find_previous;
    case 'w':
        return Action::wrap;
    case 'a':
        return Action::about;
    case 'q':
        return Action::quit;
    case 'm':
        return Action::bookmark;
    case 'B':
        return Action::bookmarks;
    case 'd':
        return Action::remove_bookmark;
    case 'H':
        return Action::history;
    case 't':
        return Action::labels;
    default:
        return Action::none;
    }
}
