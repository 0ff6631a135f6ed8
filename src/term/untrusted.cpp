// The one filter between bytes from the network and the terminal.
#include "term/untrusted.hpp"

#include <cstdio>

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
    default:
        return i;
    }
}

} // namespace

void append_untrusted(std::string& out, std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    out.reserve(out.size() + n);
    std::size_t i = 0;
    while (i < n) {
        std::size_t run = i;
        while (run < n && passes_as_is(p[run])) {
            ++run;
        }
        if (run > i) {
            out.append(text.data() + i, run - i);
            i = run;
            if (i == n) {
                break;
            }
        }
        const unsigned char c = p[i];
        if (c == esc) {
            i = skip_escape(p, i, n);
        } else if (c >= 0x80) {
            const std::size_t length = utf8_length(p + i, n - i);
            // U+0080 to U+009F are the C1 controls, which some terminals obey.
            const bool c1 = length == 2 && c == 0xc2 && p[i + 1] <= 0x9f;
            if (length == 0 || c1) {
                out.push_back('?');
                i += length == 0 ? 1 : length;
            } else {
                out.append(text.data() + i, length);
                i += length;
            }
        } else if (c == '\r' && i + 1 == n) {
            ++i; // the CR of a CR LF line end: invisible anyway
        } else {
            out.push_back('?'); // other C0 controls and DEL
            ++i;
        }
    }
}

std::string sanitize_untrusted(std::string_view text) {
    std::string out;
    append_untrusted(out, text);
    return out;
}

void print_untrusted(std::string_view text) {
    // Reused, so that drawing a screen does not allocate once per row.
    static std::string filtered;
    filtered.clear();
    append_untrusted(filtered, text);
    std::fwrite(filtered.data(), 1, filtered.size(), stdout);
}
