// Whole keys from the bytes a terminal sends, one key at a time off the front of a queue, and the
// terminal's answers to our questions, which come on the same bytes and are never keys.
#include "term/key_decoder.hpp"

#include <cstddef>
#include <optional>
#include <string_view>

#include "term/background.hpp"

namespace {

constexpr unsigned char esc = 0x1b;
constexpr unsigned char bel = 0x07;
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
DecodedKey control_sequence(Bytes queued, Waited waited) {
    const bool csi = queued[1] == '[';
    const std::size_t size = queued.size();
    const bool settled = waited != Waited::no;
    // ESC [ ? starts the device attributes answer; no key sends it. ESC [ alone may be its
    // beginning too, and waits as long (as a key it means nothing).
    const bool answer = csi && (size == 2 || queued[2] == '?');
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
        if (!settled || (answer && waited != Waited::answer)) {
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
    if (answer) {
        return whole(length, queued[end] == 'c' ? Key::answered : Key::ignored);
    }
    return whole(length, sequence_key(csi, queued.subspan(2, end - 2), queued[end]));
}

std::string_view text_of(Bytes bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The answer an operating system command string holds: OSC 11 gives the background's colour.
DecodedKey osc_answer(std::size_t length, std::string_view number, std::string_view payload) {
    if (number != "11") {
        return whole(length, Key::ignored);
    }
    const std::optional<bool> light = background_is_light(payload);
    if (!light) {
        return whole(length, Key::ignored);
    }
    DecodedKey key = whole(length, Key::background);
    key.light = *light;
    return key;
}

// queued starts with ESC ]: a terminal's answer (ESC ] number ; text, ended by BEL or ESC \) when
// digits and a ';' follow. Anything else there is no answer: ESC is Esc, then the keys.
DecodedKey operating_system_command(Bytes queued, Waited waited) {
    const std::size_t size = queued.size();
    const DecodedKey unfinished = waited == Waited::answer ? whole(size, Key::ignored) : not_whole;
    constexpr std::size_t longest = longest_sequence;
    std::size_t semicolon = 2;
    while (semicolon < size && semicolon < longest && queued[semicolon] >= '0' &&
           queued[semicolon] <= '9') {
        ++semicolon;
    }
    if (semicolon == longest) {
        return whole(longest, Key::ignored);
    }
    if (semicolon == size) {
        return unfinished;
    }
    if (semicolon == 2 || queued[semicolon] != ';') {
        return whole(1, Key::escape);
    }
    const std::string_view number = text_of(queued.subspan(2, semicolon - 2));
    for (std::size_t at = semicolon + 1; at < size; ++at) {
        if (at >= longest) {
            return whole(longest, Key::ignored);
        }
        const unsigned char byte = queued[at];
        const std::string_view payload = text_of(queued.subspan(semicolon + 1, at - semicolon - 1));
        if (byte == bel) {
            return osc_answer(at + 1, number, payload);
        }
        if (byte == esc) {
            if (at + 1 >= longest) {
                return whole(at, Key::ignored);
            }
            if (at + 1 == size) {
                // The string terminator may be cut in two; after the wait the ESC is a key.
                return waited == Waited::answer ? whole(at, Key::ignored) : not_whole;
            }
            if (queued[at + 1] == '\\') {
                return osc_answer(at + 2, number, payload);
            }
            return whole(at, Key::ignored);
        }
        // A control byte, or one no answer holds, cuts the string short and is a key of its own.
        if (byte < 0x20 || byte >= 0x7f) {
            return whole(at, Key::ignored);
        }
    }
    return unfinished;
}

bool introduces_sequence(unsigned char byte) {
    return byte == '[' || byte == 'O';
}

} // namespace

DecodedKey next_key(std::span<const unsigned char> queued, Waited waited) {
    if (queued.empty()) {
        return not_whole;
    }
    const unsigned char first = queued[0];
    if (first != esc) {
        return {1, first == backspace || first == del ? Key::back : Key::byte, first};
    }
    if (queued.size() == 1) {
        return waited != Waited::no ? whole(1, Key::escape) : not_whole;
    }
    if (introduces_sequence(queued[1])) {
        return control_sequence(queued, waited);
    }
    if (queued[1] == ']') {
        return operating_system_command(queued, waited);
    }
    // ESC followed at once by another key's bytes (a burst from tmux or ssh: Esc then Down): the
    // Esc key, then that key.
    return whole(1, Key::escape);
}
