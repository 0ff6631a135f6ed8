// Where a name typed in the save prompt saves to.
#pragma once

#include <string>
#include <string_view>

// The name with a leading "~" or "~/" as the home folder (not "~user"); unchanged when home is
// empty.
[[nodiscard]] std::string expand_home(std::string_view typed, std::string_view home);

// The path a typed name saves to: typed with its "~" expanded, or, when that is an existing
// folder (folder: the caller's look at the file system, is_existing_folder), the proposed name
// inside it. The rule for a path where something exists applies to the result.
[[nodiscard]] std::string save_path(std::string_view typed, std::string_view proposed,
                                    std::string_view home, bool folder);

// Whether path names a folder, following a link to one.
[[nodiscard]] bool is_existing_folder(const std::string& path);
