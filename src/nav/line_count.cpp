// Line counts of a text page.
#include "nav/line_count.hpp"

#include <climits>
#include <cstring>

namespace {

// Pieces of a long text that stay in the cache between finding their end and counting them.
constexpr std::size_t piece = std::size_t{1} << 16;

} // namespace

std::size_t newlines_in(const char* bytes, std::size_t n) {
    // One byte-wide counter per lane, emptied before it can wrap: the inner loop compiles to
    // vector compares and adds, several times faster than counting byte by byte.
    constexpr std::size_t lanes = 16;
    constexpr std::size_t stretch = 255 * lanes;
    std::size_t total = 0;
    while (n > 0) {
        const std::size_t m = n < stretch ? n : stretch;
        unsigned char counters[lanes] = {};
        std::size_t i = 0;
        for (; i + lanes <= m; i += lanes) {
            for (std::size_t lane = 0; lane < lanes; ++lane) {
                counters[lane] =
                    static_cast<unsigned char>(counters[lane] + (bytes[i + lane] == '\n' ? 1 : 0));
            }
        }
        for (std::size_t lane = 0; lane < lanes; ++lane) {
            total += counters[lane];
        }
        for (; i < m; ++i) {
            total += bytes[i] == '\n' ? 1 : 0;
        }
        bytes += m;
        n -= m;
    }
    return total;
}

TextMeasure measure_text(const char* text) {
    // Its end and its newlines in one pass over each piece, not one pass over the whole text
    // for each.
    const char* const start = text;
    long lines = 0;
    char last = '\n';
    for (;;) {
        const std::size_t n = strnlen(text, piece);
        lines += static_cast<long>(newlines_in(text, n));
        if (n > 0) {
            last = text[n - 1];
        }
        text += n;
        if (n < piece) {
            break;
        }
    }
    lines += last != '\n' ? 1 : 0;
    const auto size = static_cast<std::size_t>(text - start);
    return {lines > INT_MAX ? INT_MAX : static_cast<int>(lines), size};
}
