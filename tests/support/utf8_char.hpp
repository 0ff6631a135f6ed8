// A character of the emulator's screen in UTF-8, as the frames hold their text.
#pragma once

#include <cstdint>
#include <string>
#include <utf8proc.h>

// The UTF-8 bytes of one code point; nothing for one utf8proc cannot encode.
[[nodiscard]] inline std::string utf8(std::uint32_t c) {
    utf8proc_uint8_t bytes[4];
    const utf8proc_ssize_t n = utf8proc_encode_char(static_cast<utf8proc_int32_t>(c), bytes);
    return {reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(n)};
}
