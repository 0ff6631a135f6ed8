// Port numbers as the C library's atoi reads them, without its overflow.
#pragma once

// Leading white space and one sign are accepted, reading stops at the first non-digit, and text
// without digits gives 0. Values beyond int are clamped, where atoi would be undefined.
[[nodiscard]] int read_decimal(const char* text);
