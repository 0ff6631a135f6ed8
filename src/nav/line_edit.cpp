// A line typed in a prompt: its text, the cursor in it, the keys that edit it as a shell's line
// editor does, and the part of it a field of some columns shows.
#include "nav/line_edit.hpp"

#include <cstdint>
#include <utf8proc.h>

#include "term/width.hpp"

namespace {

constexpr unsigned char ctrl_a = 0x01;
constexpr unsigned char ctrl_e = 0x05;
constexpr unsigned char ctrl_u = 0x15;
constexpr unsigned char ctrl_w = 0x17;

bool is_continuation(unsigned char byte) {
    return (byte & 0xC0U) == 0x80U;
}

// Bytes of the UTF-8 character a lead byte starts; 0 for a byte that starts none (C0 and C1
// lead bytes would be overlong, F5 and up past U+10FFFF).
std::size_t sequence_length(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

// A whole sequence of sequence_length bytes that is a character worth typing: valid UTF-8
// (shortest form, no surrogate, at most U+10FFFF) and not a control character.
bool typable(std::string_view sequence) {
    utf8proc_int32_t code_point = -1;
    const auto length =
        utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(sequence.data()),
                         static_cast<utf8proc_ssize_t>(sequence.size()), &code_point);
    if (length != static_cast<utf8proc_ssize_t>(sequence.size()) || code_point < 0) {
        return false;
    }
    const std::size_t shortest = code_point < 0x80      ? 1
                                 : code_point < 0x800   ? 2
                                 : code_point < 0x10000 ? 3
                                                        : 4;
    return shortest == sequence.size() && utf8proc_category(code_point) != UTF8PROC_CATEGORY_CC;
}

// The end of the code point at `at`; a stray byte counts as one.
std::size_t code_point_end(std::string_view text, std::size_t at) {
    std::size_t end = at + 1;
    while (end < text.size() && is_continuation(static_cast<unsigned char>(text[end]))) {
        ++end;
    }
    return end;
}

int columns(std::string_view text, std::size_t from, std::size_t to) {
    return static_cast<int>(shown_width(text.substr(from, to - from), TabShow::one_blank));
}

// A character starts at every code point that takes columns; zero-width ones go with the one
// before them.
bool is_boundary(std::string_view text, std::size_t at) {
    return at == 0 || at >= text.size() || columns(text, at, code_point_end(text, at)) > 0;
}

std::size_t next_boundary(std::string_view text, std::size_t at) {
    do {
        at = code_point_end(text, at);
    } while (!is_boundary(text, at));
    return at;
}

std::size_t previous_boundary(std::string_view text, std::size_t at) {
    do {
        --at;
        while (at > 0 && is_continuation(static_cast<unsigned char>(text[at]))) {
            --at;
        }
    } while (!is_boundary(text, at));
    return at;
}

bool is_blank_at(std::string_view text, std::size_t at) {
    return text[at] == ' ' && next_boundary(text, at) == at + 1;
}

// The start of the word before the cursor, blanks right before it included: Ctrl-W's reach.
std::size_t word_start(std::string_view text, std::size_t at) {
    while (at > 0 && is_blank_at(text, previous_boundary(text, at))) {
        at = previous_boundary(text, at);
    }
    while (at > 0 && !is_blank_at(text, previous_boundary(text, at))) {
        at = previous_boundary(text, at);
    }
    return at;
}

void insert(LineEdit* line, std::string_view character, std::size_t limit_bytes) {
    if (line->text.size() + character.size() > limit_bytes) {
        return;
    }
    line->text.insert(line->cursor, character);
    line->cursor += character.size();
    // A character typed before a zero-width one takes it over: the cursor goes past both.
    if (!is_boundary(line->text, line->cursor)) {
        line->cursor = next_boundary(line->text, line->cursor);
    }
}

void type_byte(LineEdit* line, unsigned char byte, std::size_t limit_bytes) {
    if (!line->pending.empty()) {
        if (is_continuation(byte)) {
            line->pending += static_cast<char>(byte);
            const std::size_t want =
                sequence_length(static_cast<unsigned char>(line->pending.front()));
            if (line->pending.size() < want) {
                return;
            }
            if (typable(line->pending)) {
                insert(line, line->pending, limit_bytes);
            }
            line->pending.clear();
            return;
        }
        line->pending.clear(); // cut short: dropped, and the byte starts afresh
    }
    if (byte >= 0x20 && byte <= 0x7e) {
        const char character = static_cast<char>(byte);
        insert(line, std::string_view{&character, 1}, limit_bytes);
    } else if (sequence_length(byte) > 0) {
        line->pending = static_cast<char>(byte);
    }
}

void erase(LineEdit* line, std::size_t from, std::size_t to) {
    line->text.erase(from, to - from);
    line->cursor = from;
}

} // namespace

LineEdit line_with(std::string_view text) {
    // Typed byte by byte, so that what is not UTF-8, or a control character, is left out.
    LineEdit line;
    for (const char c : text) {
        type_byte(&line, static_cast<unsigned char>(c), SIZE_MAX);
    }
    line.pending.clear();
    return line;
}

bool edit_line(LineEdit* line, DecodedKey key, std::size_t limit_bytes) {
    const std::string_view text = line->text;
    const std::size_t cursor = line->cursor;
    if (key.key != Key::byte) {
        line->pending.clear();
    }
    switch (key.key) {
    case Key::left:
        line->cursor = cursor > 0 ? previous_boundary(text, cursor) : 0;
        return true;
    case Key::right:
        line->cursor = cursor < text.size() ? next_boundary(text, cursor) : cursor;
        return true;
    case Key::home:
        line->cursor = 0;
        return true;
    case Key::end:
        line->cursor = text.size();
        return true;
    case Key::back:
        if (cursor > 0) {
            erase(line, previous_boundary(text, cursor), cursor);
        }
        return true;
    case Key::delete_char:
        if (cursor < text.size()) {
            erase(line, cursor, next_boundary(text, cursor));
        }
        return true;
    case Key::byte:
        break;
    default:
        return false;
    }
    switch (key.byte) {
    case ctrl_a:
        line->pending.clear();
        line->cursor = 0;
        return true;
    case ctrl_e:
        line->pending.clear();
        line->cursor = text.size();
        return true;
    case ctrl_u:
        line->pending.clear();
        erase(line, 0, cursor);
        return true;
    case ctrl_w:
        line->pending.clear();
        erase(line, word_start(text, cursor), cursor);
        return true;
    default:
        break;
    }
    if (key.byte < 0x20) {
        line->pending.clear();
        return false; // Enter, Tab and the other control keys are the caller's
    }
    type_byte(line, key.byte, limit_bytes);
    return true;
}

LineView view_line(const LineEdit& line, int room) {
    const std::string_view text = line.text;
    const std::size_t cursor = line.cursor < text.size() ? line.cursor : text.size();
    if (room <= 0) {
        return {cursor, cursor, 0};
    }
    // The cell the cursor stands on: the whole character under it, or one blank at the end.
    const int under = cursor < text.size() ? columns(text, cursor, next_boundary(text, cursor)) : 1;
    std::size_t from = line.shown_from < cursor ? line.shown_from : cursor;
    while (!is_boundary(text, from)) {
        from = previous_boundary(text, from);
    }
    // Right as far as the cursor needs...
    int before = columns(text, from, cursor);
    while (from < cursor && before + under > room) {
        const std::size_t next = next_boundary(text, from);
        before -= columns(text, from, next);
        from = next;
    }
    // ...and back left while the end of the text, and the cursor after it, still fit.
    int tail = columns(text, from, text.size());
    while (from > 0) {
        const std::size_t previous = previous_boundary(text, from);
        const int width = columns(text, previous, from);
        if (tail + width + 1 > room) {
            break;
        }
        from = previous;
        tail += width;
    }
    std::size_t to = from;
    int used = 0;
    while (to < text.size()) {
        const std::size_t next = next_boundary(text, to);
        const int width = columns(text, to, next);
        if (used + width > room) {
            break;
        }
        used += width;
        to = next;
    }
    return {from, to, columns(text, from, cursor)};
}
