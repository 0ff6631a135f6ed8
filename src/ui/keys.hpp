// What the keys do in the menu and text views: one table for both.
#pragma once

#include "term/key_decoder.hpp"

enum class Action {
    none,     // any other key: the frame is drawn again, nothing changes
    move,     // Up, Down, page keys, Home, End
    sideways, // Right, Left: a text whose lines are cut
    open,     // Enter: the marked link of a menu
    back,
    forward,
    open_address,
    reload,
    save,          // the marked item of a menu, the page of a text
    show_url,      // the marked item's URL, or the page's
    cancel,        // Esc or Ctrl-C: the save running
    find,          // '/': the find prompt
    find_next,     // 'n'
    find_previous, // 'N'
    wrap,          // 'w': long lines of a text wrapped or cut
    about,
    quit,
    bookmark,        // 'm': the marked link, or the page, kept in the bookmarks file
    bookmarks,       // 'B': the bookmarks page
    remove_bookmark, // 'd': on the bookmarks page, the marked bookmark
    history,         // 'H': the history page
    labels,          // 't': a menu's type labels shown or not, for the run
};

// The keys of less and vi as the movement keys they stand for: Space is Page Down, j and k Down
// and Up, g and G Home and End. Any other key as it is.
[[nodiscard]] DecodedKey view_key(DecodedKey key);
[[nodiscard]] Action view_action(DecodedKey key);
