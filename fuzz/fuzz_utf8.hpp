// UTF-8 decoded the long way round, for checking what the program writes to the terminal.
#pragma once

#include <cstddef>
#include <string_view>

// Code points of well-formed UTF-8, decoded the long way round; -1 for an ill-formed sequence.
inline long next_code_point(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    long value = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xe0) == 0xc0) {
        length = 2;
        value = lead & 0x1f;
    } else if ((lead & 0xf0) == 0xe0) {
        length = 3;
        value = lead & 0x0f;
    } else if ((lead & 0xf8) == 0xf0) {
        length = 4;
        value = lead & 0x07;
    } else {
        return -1;
    }
    if (i + length > text.size()) {
        return -1;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xc0) != 0x80) {
            return -1;
        }
        value = (value << 6) | (byte(i + k) & 0x3f);
    }
    const long shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < shortest[length] || value > 0x10ffff || (value >= 0xd800 && value <= 0xdfff)) {
        return -1;
    }
    i += length;
    return value;
}

inline bool is_control(long code_point) {
    return (code_point < 0x20 && code_point != '\t') || (code_point >= 0x7f && code_point < 0xa0);
}

// Valid UTF-8 without ESC, DEL, C1 or C0 controls other than TAB.
inline bool harmless(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const long code_point = next_code_point(text, i);
        if (code_point < 0 || is_control(code_point)) {
            return false;
        }
    }
    return true;
}
