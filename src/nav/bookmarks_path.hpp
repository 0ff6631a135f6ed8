// Where the bookmarks file lives, from the environment as the XDG base directories place it.
#pragma once

#include <string>

// The path, or why there is none (then path is empty): "$XDG_DATA_HOME/kesmor/bookmarks", else
// "$HOME/.local/share/kesmor/bookmarks" when XDG_DATA_HOME is unset, empty or not absolute.
// A HOME that is unset, empty or not absolute gives no path: a relative one would put the file
// wherever the program happened to be started.
struct BookmarksPath {
    std::string path;
    std::string reason;
};

// The variables' values as getenv gives them (null when unset).
[[nodiscard]] BookmarksPath bookmarks_path(const char* xdg_data_home, const char* home);
