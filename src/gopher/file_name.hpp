// The file name offered when an item is saved, made safe from what the server sent.
#pragma once

#include <string>
#include <string_view>

// The last non-empty "/"-separated part of the selector ("/dir/" gives "dir"), after cutting
// any search query at the first TAB. Control bytes go, and an escape sequence goes whole, so
// that nothing left can drive a terminal; leading "." and "-" go (no hidden file, no option);
// at most 255 bytes, cut between UTF-8 characters. "download" when nothing is left.
[[nodiscard]] std::string proposed_file_name(std::string_view selector);
