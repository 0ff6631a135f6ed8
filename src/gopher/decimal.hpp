// Port numbers as the C library's atoi reads them, without its overflow.
#pragma once

#include <string_view>

// Leading white space and one sign are accepted, reading stops at the first non-digit, and text
// without digits gives 0. Values beyond int are clamped, where atoi would be undefined.
[[nodiscard]] int read_decimal(const char* text);
// The same, reading no further than the view.
[[nodiscard]] int read_decimal(std::string_view text);
