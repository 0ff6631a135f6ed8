// Where the bookmarks file lives, from the environment as the XDG base directories place it.
#include "nav/bookmarks_path.hpp"

#include <string_view>

namespace {

bool absolute(const char* value) {
    return value != nullptr && value[0] == '/';
}

// Without its trailing slashes, so "/data/" gives "/data/kesmor", but "/" stays the root.
std::string folder(std::string_view value) {
    while (value.size() > 1 && value.back() == '/') {
        value.remove_suffix(1);
    }
    if (value == "/") {
        return {};
    }
    return std::string(value);
}

} // namespace

BookmarksPath bookmarks_path(const char* xdg_data_home, const char* home) {
    if (absolute(xdg_data_home)) {
        return {folder(xdg_data_home) + "/kesmor/bookmarks", {}};
    }
    if (absolute(home)) {
        return {folder(home) + "/.local/share/kesmor/bookmarks", {}};
    }
    return {{}, "Neither XDG_DATA_HOME nor HOME is set"};
}
