// The one filter between bytes from the network and the terminal.
#include "term/untrusted.hpp"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

constexpr unsigned char esc = 0x1b;
constexpr unsigned char bel = 0x07;

bool passes_as_is(unsigned char c) {
    return (c >= 0x20 && c < 0x7f) || c == '\t';
}

bool in_range(const unsigned char* p, std::size_t at, std::size_t n, unsigned char low,
              unsigned char high) {
    return at < n && p[at] >= low && p[at] <= high;
}

// Length of the well-formed UTF-8 sequence at p (whose first byte is 0x80 or above), or 0:
// no overlong forms, no surrogates, nothing beyond U+10FFFF.
std::size_t utf8_length(const unsigned char* p, std::size_t n) {
    const unsigned char lead = p[0];
    if (lead >= 0xc2 && lead <= 0xdf) {
        return in_range(p, 1, n, 0x80, 0xbf) ? 2 : 0;
    }
    if (lead >= 0xe0 && lead <= 0xef) {
        const unsigned char low = lead == 0xe0 ? 0xa0 : 0x80;
        const unsigned char high = lead == 0xed ? 0x9f : 0xbf;
        return in_range(p, 1, n, low, high) && in_range(p, 2, n, 0x80, 0xbf) ? 3 : 0;
    }
    if (lead >= 0xf0 && lead <= 0xf4) {
        const unsigned char low = lead == 0xf0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xf4 ? 0x8f : 0xbf;
        return in_range(p, 1, n, low, high) && in_range(p, 2, n, 0x80, 0xbf) &&
                       in_range(p, 3, n, 0x80, 0xbf)
                   ? 4
                   : 0;
    }
    return 0;
}

// Index just past the escape sequence whose ESC is at i. A sequence cut off by the end of the
// text runs to the end, so that its parameters leave nothing behind.
std::size_t skip_escape(const unsigned char* p, std::size_t i, std::size_t n) {
    ++i;
    if (i == n) {
        return n;
    }
    const unsigned char kind = p[i++];
    switch (kind) {
    case '[':
        // Up to the final byte. A new ESC ends a broken sequence, so that the next one is
        // recognised instead of eaten.
        while (i < n && p[i] != esc) {
            const unsigned char c = p[i++];
            if (c >= 0x40 && c <= 0x7e) {
                break;
            }
        }
        return i;
    case ']':
    case 'P':
    case 'X':
    case '^':
    case '_':
        // String sequences end at BEL or at ESC "\".
        for (; i < n; ++i) {
            if (p[i] == bel) {
                return i + 1;
            }
            if (p[i] == esc && i + 1 < n && p[i + 1] == '\\') {
                return i + 2;
            }
        }
        return n;
    case esc:
        // ESC ESC: the first is dropped, the second may start a sequence of its own.
        return i - 1;
    default:
        // ESC, intermediate bytes, a final byte: ESC ( B, ESC # 8, ESC SP F.
        if (kind >= 0x20 && kind <= 0x2f) {
            while (i < n && p[i] >= 0x20 && p[i] <= 0x2f) {
                ++i;
            }
            if (i < n && p[i] >= 0x30 && p[i] <= 0x7e) {
                ++i;
            }
        }
        return i;
    }
}

// Windows-1252 from 0x80 to 0x9f; 0 where the table has no character. The rest is Latin-1.
constexpr std::array<char32_t, 32> cp1252_low = {
    0x20ac, 0,      0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021, 0x02c6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017d, 0,      0,      0x2018, 0x2019, 0x201c, 0x201d, 0x2022,
    0x2013, 0x2014, 0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0,      0x017e, 0x0178,
};

// Each byte's character already in UTF-8 (at most three bytes), so that writing one is a copy.
struct Encoded {
    std::array<char, 3> bytes;
    unsigned char size;
};
constexpr std::array<Encoded, 128> cp1252_table() {
    std::array<Encoded, 128> table{};
    for (unsigned byte = 0x80; byte <= 0xff; ++byte) {
        const char32_t code = byte < 0xa0 ? cp1252_low[byte - 0x80] : byte;
        Encoded& e = table[byte - 0x80];
        if (code == 0) {
            e.size = 0;
        } else if (code < 0x800) {
            e.bytes = {static_cast<char>(0xc0 | (code >> 6)),
                       static_cast<char>(0x80 | (code & 0x3f)), 0};
            e.size = 2;
        } else {
            e.bytes = {static_cast<char>(0xe0 | (code >> 12)),
                       static_cast<char>(0x80 | ((code >> 6) & 0x3f)),
                       static_cast<char>(0x80 | (code & 0x3f))};
            e.size = 3;
        }
    }
    return table;
}
constexpr std::array<Encoded, 128> cp1252_utf8 = cp1252_table();

// True when no byte of w is above 0x7f or an ESC: nothing in it can make a line cp1252.
bool plain_for_coding(std::uint64_t w) {
    constexpr std::uint64_t ones = 0x0101010101010101u;
    constexpr std::uint64_t highs = 0x8080808080808080u;
    const std::uint64_t x = w ^ (ones * esc);
    const std::uint64_t has_esc = (x - ones) & ~x & highs;
    return ((w & highs) | has_esc) == 0;
}

// True when all eight bytes of w are printable ASCII, 0x20 to 0x7e.
bool all_printable(std::uint64_t w) {
    constexpr std::uint64_t ones = 0x0101010101010101u;
    constexpr std::uint64_t highs = 0x8080808080808080u;
    const std::uint64_t below_blank = (w - ones * 0x20) & ~w & highs;
    const std::uint64_t above_tilde = ((w + ones * (0x7f - 0x7e)) | w) & highs;
    return (below_blank | above_tilde) == 0;
}

} // namespace

LineCoding line_coding(std::string_view line) {
    const auto* p = reinterpret_cast<const unsigned char*>(line.data());
    const std::size_t n = line.size();
    std::size_t i = 0;
    while (i < n) {
        for (std::uint64_t w; i + 8 <= n; i += 8) {
            std::memcpy(&w, p + i, sizeof w);
            if (!plain_for_coding(w)) {
                break;
            }
        }
        if (i == n) {
            break;
        }
        const unsigned char c = p[i];
        if (c == esc) {
            // What the filter removes is not read: its bytes decide nothing.
            i = skip_escape(p, i, n);
        } else if (c < 0x80) {
            ++i;
        } else {
            const std::size_t length = utf8_length(p + i, n - i);
            if (length == 0) {
                return LineCoding::cp1252;
            }
            i += length;
        }
    }
    return LineCoding::utf8;
}

std::string_view cp1252_character(unsigned char byte) {
    if (byte < 0x80) {
        return {};
    }
    const Encoded& e = cp1252_utf8[byte - 0x80];
    return {e.bytes.data(), e.size};
}

UntrustedPiece next_untrusted_piece(std::string_view text, std::size_t at, LineCoding coding) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    const unsigned char c = p[at];
    if (passes_as_is(c)) {
        return {at + 1, ShownAs::bytes};
    }
    if (c >= 0x80 && coding == LineCoding::cp1252) {
        return {at + 1, cp1252_utf8[c - 0x80].size == 0 ? ShownAs::question : ShownAs::cp1252};
    }
    if (c >= 0x80) {
        const std::size_t length = utf8_length(p + at, n - at);
        // U+0080 to U+009F are the C1 controls, which some terminals obey.
        const bool c1 = length == 2 && c == 0xc2 && p[at + 1] <= 0x9f;
        if (length == 0 || c1) {
            // One "?" for the byte, or for the whole character.
            return {at + (length == 0 ? 1 : length), ShownAs::question};
        }
        return {at + length, ShownAs::bytes};
    }
    if (c == esc) {
        return {skip_escape(p, at, n), ShownAs::nothing};
    }
    if (c == '\r' && at + 1 == n) {
        return {at + 1, ShownAs::nothing}; // the CR of a CR LF line end: invisible anyway
    }
    return {at + 1, ShownAs::question}; // other C0 controls and DEL
}

std::size_t printable_prefix(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    for (std::uint64_t w; i + 8 <= n; i += 8) {
        std::memcpy(&w, p + i, sizeof w);
        if (!all_printable(w)) {
            break;
        }
    }
    while (i < n && p[i] >= 0x20 && p[i] < 0x7f) {
        ++i;
    }
    return i;
}

void append_untrusted(std::string& out, std::string_view text, LineCoding coding) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    // The result is never longer than the text (three times it for cp1252, whose characters
    // take up to three bytes in UTF-8): written in place, then cut to size.
    const std::size_t base = out.size();
    out.resize(base + (coding == LineCoding::cp1252 ? 3 * n : n));
    char* dst = out.data() + base;
    std::size_t i = 0;
    while (i < n) {
        // Most text is printable ASCII: eight bytes at a time while it lasts.
        for (std::uint64_t w; i + 8 <= n; i += 8, dst += 8) {
            std::memcpy(&w, p + i, sizeof w);
            if (!all_printable(w)) {
                break;
            }
            std::memcpy(dst, &w, sizeof w);
        }
        // A word that failed holds something to change: piece by piece to its end, at least.
        const std::size_t stop = n - i < 8 ? n : i + 8;
        while (i < stop) {
            const UntrustedPiece piece = next_untrusted_piece(text, i, coding);
            if (piece.shown == ShownAs::bytes) {
                for (; i < piece.next; ++i) {
                    *dst++ = static_cast<char>(p[i]);
                }
            } else if (piece.shown == ShownAs::question) {
                *dst++ = '?';
            } else if (piece.shown == ShownAs::cp1252) {
                const Encoded& e = cp1252_utf8[p[i] - 0x80];
                std::memcpy(dst, e.bytes.data(), e.size);
                dst += e.size;
            }
            i = piece.next;
        }
    }
    out.resize(static_cast<std::size_t>(dst - out.data()));
}
