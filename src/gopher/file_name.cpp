// The file name offered when an item is saved, made safe from what the server sent.
#include "gopher/file_name.hpp"

#include <cstddef>

#include "term/untrusted.hpp"

namespace {

// The longest file name most file systems take.
constexpr std::size_t name_max = 255;

bool is_control(unsigned char c) {
    return c < 0x20 || c == 0x7f;
}

// The byte length of the prefix of text that fits in room bytes without splitting a UTF-8
// character. Only three continuation bytes are stepped back over: a longer run is not UTF-8.
std::size_t utf8_prefix(std::string_view text, std::size_t room) {
    if (text.size() <= room) {
        return text.size();
    }
    std::size_t end = room;
    while (end > 0 && room - end < 3 && (static_cast<unsigned char>(text[end]) & 0xc0) == 0x80) {
        --end;
    }
    return end;
}

} // namespace

std::string proposed_file_name(std::string_view selector) {
    selector = selector.substr(0, selector.find('\t'));
    while (!selector.empty() && selector.back() == '/') {
        selector.remove_suffix(1);
    }
    const std::size_t slash = selector.rfind('/');
    const std::string_view part =
        slash == std::string_view::npos ? selector : selector.substr(slash + 1);

    std::string name;
    for (std::size_t at = 0; at < part.size();) {
        const auto c = static_cast<unsigned char>(part[at]);
        if (c == 0x1b) {
            // The terminal filter's own reading of the sequence, so that what it would hide is
            // what leaves the name.
            at = next_untrusted_piece(part, at).next;
            continue;
        }
        ++at;
        if (is_control(c) || ((c == '.' || c == '-') && name.empty())) {
            continue;
        }
        name += static_cast<char>(c);
    }
    name.resize(utf8_prefix(name, name_max));
    return name.empty() ? "download" : name;
}
