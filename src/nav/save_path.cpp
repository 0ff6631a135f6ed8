// Where a name typed in the save prompt saves to.
#include "nav/save_path.hpp"

#include <sys/stat.h>

namespace {

// a and b joined by exactly one slash.
std::string joined(std::string_view a, std::string_view b) {
    std::string out{a};
    while (out.size() > 1 && out.back() == '/') {
        out.pop_back();
    }
    if (out.empty() || out.back() != '/') {
        out += '/';
    }
    out += b;
    return out;
}

} // namespace

std::string expand_home(std::string_view typed, std::string_view home) {
    if (home.empty() || typed.empty() || typed[0] != '~' || (typed.size() > 1 && typed[1] != '/')) {
        return std::string{typed};
    }
    if (typed.size() <= 2) {
        return std::string{home};
    }
    return joined(home, typed.substr(2));
}

std::string save_path(std::string_view typed, std::string_view proposed, std::string_view home,
                      bool folder) {
    std::string path = expand_home(typed, home);
    if (folder && !proposed.empty()) {
        return joined(path, proposed);
    }
    return path;
}

bool is_existing_folder(const std::string& path) {
    struct stat there {};
    return !path.empty() && stat(path.c_str(), &there) == 0 && S_ISDIR(there.st_mode);
}
