// Where the first line of a text frame starts.
#include "nav/text_position.hpp"

#include <cstring>

#include "nav/line_count.hpp"

namespace {

// Lines passed one at a time before a long move goes over whole pieces of the text.
constexpr long single_steps = 64;
// A piece's end and its newlines are found while it is still in the cache.
constexpr std::size_t piece = std::size_t{1} << 16;

// Moves the position forward over count newlines, or to the start of the last line when the
// text has fewer. Returns whether it passed all of them.
bool forward(TextPosition* position, long count) {
    const char* start = position->at;
    long passed = 0;
    bool ended = false;
    while (passed < count && passed < single_steps) {
        const char* newline = std::strchr(start, '\n');
        if (newline == nullptr) {
            ended = true;
            break;
        }
        start = newline + 1;
        ++passed;
    }
    const char* scan = start;
    while (!ended && passed < count) {
        const std::size_t n = strnlen(scan, piece);
        const auto here = static_cast<long>(newlines_in(scan, n));
        if (passed + here >= count) {
            const char* const end = scan + n;
            for (; passed < count; ++passed) {
                start = static_cast<const char*>(
                            std::memchr(start, '\n', static_cast<std::size_t>(end - start))) +
                        1;
            }
            break;
        }
        if (here > 0) {
            start = static_cast<const char*>(memrchr(scan, '\n', n)) + 1;
            passed += here;
        }
        ended = n < piece;
        scan += n;
    }
    position->line += passed;
    position->at = start;
    return passed == count;
}

// Moves the position back to line top, which lies above it, one line at a time.
void back(TextPosition* position, long top) {
    const char* text = position->text;
    const char* at = position->at;
    for (long line = position->line; line > top; --line) {
        // at - 1 is the line-th newline; the one before it ends the line above.
        const void* newline = memrchr(text, '\n', static_cast<std::size_t>(at - 1 - text));
        at = newline != nullptr ? static_cast<const char*>(newline) + 1 : text;
    }
    position->line = top;
    position->at = at;
}

} // namespace

const char* seek_line(TextPosition* position, const char* text, long top) {
    if (position->text != text || top <= 0 || top < position->line - top) {
        // From the beginning: a new text, or a line nearer to it than to the position.
        *position = TextPosition{text, 0, text};
    }
    if (top <= 0) {
        return text;
    }
    if (top < position->line) {
        back(position, top);
        return position->at;
    }
    if (forward(position, top - position->line)) {
        return position->at;
    }
    return position->at + std::strlen(position->at);
}

const char* skip_lines(const char* text, long top) {
    TextPosition position{text, 0, text};
    return seek_line(&position, text, top);
}
