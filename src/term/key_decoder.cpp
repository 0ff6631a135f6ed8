// Whole keys from the bytes a terminal sends, one key at a time off the front of a queue.
#include "term/key_decoder.hpp"

#include <cstddef>

namespace {

constexpr unsigned char esc = 0x1b;
constexpr unsigned char backspace = 0x08;
constexpr unsigned char del = 0x7f;

using Bytes = std::span<const unsigned char>;

constexpr DecodedKey not_whole{};

DecodedKey whole(std::size_t length, Key key) {
    return {static_cast<int>(length), key, 0};
}

// Parameter and intermediate bytes of a control sequence, then the byte that ends it.
bool continues_sequence(unsigned char byte) {
    return byte >= 0x20 && byte <= 0x3f;
}
bool ends_sequence(unsigned char byte) {
    return byte >= 0x40 && byte <= 0x7e;
}

// What a whole sequence means: the few keys the views know, in their CSI and SS3 forms.
Key sequence_key(bool csi, Bytes parameters, unsigned char final) {
    if (parameters.empty()) {
        switch (final) {
        case 'A':
            return Key::up;
        case 'B':
            return Key::down;
        case 'C':
            return Key::right;
        case 'D':
            return Key::left;
        case 'H':
            return Key::home;
        case 'F':
            return Key::end;
        default:
            return Key::ignored;
        }
    }
    if (csi && final == '~' && parameters.size() == 1) {
        switch (parameters[0]) {
        case '1':
            return Key::home;
        case '3':
            return Key::delete_char;
        case '4':
            return Key::end;
        case '5':
            return Key::page_up;
        case '6':
            return Key::page_down;
        default:
            return Key::ignored;
        }
    }
    return Key::ignored;
}

// ESC [ 5 and ESC [ 6 without their "~": the three bytes an old terminal read took as the page
// keys.
bool is_short_page_key(Bytes sequence) {
    return sequence.size() == 3 && (sequence[2] == '5' || sequence[2] == '6');
}
Key short_page_key(unsigned char parameter) {
    return parameter == '5' ? Key::page_up : Key::page_down;
}

// queued starts with ESC and '[' (CSI) or 'O' (SS3).
DecodedKey control_sequence(Bytes queued, bool settled) {
    const bool csi = queued[1] == '[';
    const std::size_t size = queued.size();
    // The Linux console's F1 to F5: ESC [ [ and one letter.
    if (csi && size >= 3 && queued[2] == '[') {
        if (size >= 4) {
            return whole(ends_sequence(queued[3]) ? 4 : 3, Key::ignored);
        }
        return settled ? whole(3, Key::ignored) : not_whole;
    }
    std::size_t end = 2;
    while (end < size && end < longest_sequence && continues_sequence(queued[end])) {
        ++end;
    }
    if (end == longest_sequence) {
        return whole(end, Key::ignored);
    }
    if (end == size) {
        if (!settled) {
            return not_whole;
        }
        // Nothing came after them in time: read as the page keys, as always.
        if (csi && is_short_page_key(queued.first(end))) {
            return whole(3, short_page_key(queued[2]));
        }
        return whole(size, Key::ignored);
    }
    // A control byte or a byte above 0x7e cuts the sequence short and is a key of its own. An
    // ESC right after ESC [ 5 or ESC [ 6 starts the next key, so the page key is kept.
    if (!ends_sequence(queued[end])) {
        if (csi && queued[end] == esc && is_short_page_key(queued.first(end))) {
            return whole(3, short_page_key(queued[2]));
        }
        return whole(end, Key::ignored);
    }
    const std::size_t length = end + 1;
    // An old-style mouse report: ESC [ M and three bytes of any value.
    if (csi && end == 2 && queued[end] == 'M') {
        if (size >= length + 3) {
            return whole(length + 3, Key::ignored);
        }
        return settled ? whole(size, Key::ignored) : not_whole;
    }
    return whole(length, sequence_key(csi, queued.subspan(2, end - 2), queued[end]));
}

bool introduces_sequence(unsigned char byte) {
    return byte == '[' || byte == 'O';
}

} // namespace

DecodedKey next_key(std::span<const unsigned char> queued, bool settled) {
    if (queued.empty()) {
        return not_whole;
    }
    const unsigned char first = queued[0];
    if (first != esc) {
        return {1, first == backspace || first == del ? Key::back : Key::byte, first};
    }
    if (queued.size() == 1) {
        return settled ? whole(1, Key::escape) : not_whole;
    }
    if (introduces_sequence(queued[1])) {
        return control_sequence(queued, settled);
    }
    // ESC ESC: Alt with Esc, or with a key whose sequence follows (Alt+arrow on some terminals).
    if (queued[1] == esc) {
        if (queued.size() == 2) {
            return settled ? whole(2, Key::ignored) : not_whole;
        }
        if (introduces_sequence(queued[2])) {
            const DecodedKey inner = control_sequence(queued.subspan(1), settled);
            return inner.length == 0 ? not_whole : whole(1 + inner.length, Key::ignored);
        }
    }
    // Alt with a key, or ESC then a control byte: neither means anything to the views.
    return whole(2, Key::ignored);
}
