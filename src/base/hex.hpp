// Hexadecimal digits, as URLs' escapes and terminals' colour answers write them.
#pragma once

// The value of one hex digit of either case, or -1 for any other character.
[[nodiscard]] constexpr int hex_value(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}
