// The one filter between bytes from the network and the terminal.
#include "term/untrusted.hpp"

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

// True when all eight bytes of w are printable ASCII, 0x20 to 0x7e.
bool all_printable(std::uint64_t w) {
    constexpr std::uint64_t ones = 0x0101010101010101u;
    constexpr std::uint64_t highs = 0x8080808080808080u;
    const std::uint64_t below_blank = (w - ones * 0x20) & ~w & highs;
    const std::uint64_t above_tilde = ((w + ones * (0x7f - 0x7e)) | w) & highs;
    return (below_blank | above_tilde) == 0;
}

} // namespace

UntrustedPiece next_untrusted_piece(std::string_view text, std::size_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    const unsigned char c = p[at];
    if (passes_as_is(c)) {
        return {at + 1, ShownAs::bytes};
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

void append_untrusted(std::string& out, std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    // The result is never longer than the text: written in place, then cut to size.
    const std::size_t base = out.size();
    out.resize(base + n);
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
            const UntrustedPiece piece = next_untrusted_piece(text, i);
            if (piece.shown == ShownAs::bytes) {
                for (; i < piece.next; ++i) {
                    *dst++ = static_cast<char>(p[i]);
                }
            } else if (piece.shown == ShownAs::question) {
                *dst++ = '?';
            }
            i = piece.next;
        }
    }
    out.resize(static_cast<std::size_t>(dst - out.data()));
}

std::string sanitize_untrusted(std::string_view text) {
    std::string out;
    append_untrusted(out, text);
    return out;
}
