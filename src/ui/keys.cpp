// What the keys do in the menu and text views: one table for both.
#include "ui/keys.hpp"

DecodedKey view_key(DecodedKey key) {
    if (key.key != Key::byte) {
        return key;
    }
    switch (key.byte) {
    case ' ':
        return {key.length, Key::page_down, 0};
    case 'j':
        return {key.length, Key::down, 0};
    case 'k':
        return {key.length, Key::up, 0};
    case 'g':
        return {key.length, Key::home, 0};
    case 'G':
        return {key.length, Key::end, 0};
    default:
        return key;
    }
}

Action view_action(DecodedKey key) {
    key = view_key(key);
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
    case '?':
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
