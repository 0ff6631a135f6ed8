// Finding text in a page as it is shown: in a text's lines, in one line for drawing, in a menu.
#include "nav/find.hpp"

#include <array>
#include <cstring>
#include <utf8proc.h>

#include "term/width.hpp"

namespace {

constexpr std::size_t none = std::string_view::npos;

unsigned char fold(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte | 0x20) : byte;
}

bool all_ascii(std::string_view text) {
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0x80U) != 0) {
            return false;
        }
    }
    return true;
}

// Appends text with every letter case-folded as Unicode folds it (full folding: "ß" is
// "ss"), ASCII a byte at a time. Bytes that are not UTF-8 are kept as they are.
void append_folded(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            out += static_cast<char>(fold(byte));
            ++i;
            continue;
        }
        utf8proc_int32_t code_point = -1;
        const utf8proc_ssize_t length =
            utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + i),
                             static_cast<utf8proc_ssize_t>(text.size() - i), &code_point);
        if (length <= 0) {
            out += text[i];
            ++i;
            continue;
        }
        std::array<utf8proc_int32_t, 8> mapped{};
        int boundclass = 0;
        const utf8proc_ssize_t count = utf8proc_decompose_char(
            code_point, mapped.data(), mapped.size(), UTF8PROC_CASEFOLD, &boundclass);
        if (count <= 0 || static_cast<std::size_t>(count) > mapped.size()) {
            out.append(text.data() + i, static_cast<std::size_t>(length));
        } else {
            for (utf8proc_ssize_t k = 0; k < count; ++k) {
                std::array<utf8proc_uint8_t, 4> bytes{};
                const utf8proc_ssize_t size =
                    utf8proc_encode_char(mapped[static_cast<std::size_t>(k)], bytes.data());
                out.append(reinterpret_cast<const char*>(bytes.data()),
                           static_cast<std::size_t>(size));
            }
        }
        i += static_cast<std::size_t>(length);
    }
}

std::string folded(std::string_view needle) {
    std::string out;
    out.reserve(needle.size());
    append_folded(out, needle);
    return out;
}

// Where a byte is next found in hay from `at`, or none.
std::size_t next_of(std::string_view hay, std::size_t at, char byte) {
    const void* p = std::memchr(hay.data() + at, byte, hay.size() - at);
    return p != nullptr ? static_cast<std::size_t>(static_cast<const char*>(p) - hay.data()) : none;
}

// The first match of the folded needle in hay from `at`, or none. The candidates are found
// with memchr for the needle's first byte in both cases, each case only as far as needed.
std::size_t find_folded(std::string_view hay, std::string_view needle, std::size_t at) {
    const std::size_t m = needle.size();
    if (m == 0 || hay.size() < m) {
        return none;
    }
    const char lower = needle[0];
    const bool letter = lower >= 'a' && lower <= 'z';
    const char upper = letter ? static_cast<char>(lower - 0x20) : lower;
    const std::string_view room = hay.substr(0, hay.size() - m + 1); // where a match can start
    std::size_t next_lower = next_of(room, at < room.size() ? at : room.size(), lower);
    std::size_t next_upper =
        letter ? next_of(room, at < room.size() ? at : room.size(), upper) : none;
    while (next_lower != none || next_upper != none) {
        const std::size_t c = next_lower < next_upper ? next_lower : next_upper;
        std::size_t k = 1;
        while (k < m && fold(static_cast<unsigned char>(hay[c + k])) ==
                            static_cast<unsigned char>(needle[k])) {
            ++k;
        }
        if (k == m) {
            return c;
        }
        if (c == next_lower) {
            next_lower = next_of(room, c + 1, lower);
        } else {
            next_upper = next_of(room, c + 1, upper);
        }
    }
    return none;
}

// Length of the line once its final CR is left out when the filter shows it byte for byte
// (printable ASCII and TAB only), or none.
std::size_t plain_length(std::string_view line) {
    std::size_t i = 0;
    for (;;) {
        i += printable_prefix(line.substr(i));
        if (i < line.size() && line[i] == '\t') {
            ++i;
            continue;
        }
        break;
    }
    if (i == line.size()) {
        return i;
    }
    return i + 1 == line.size() && line[i] == '\r' ? i : none;
}

bool line_has_match(std::string_view line, std::string_view needle, FindScratch* scratch) {
    const std::size_t plain = plain_length(line);
    if (plain != none) {
        return find_folded(line.substr(0, plain), needle, 0) != none;
    }
    // An ASCII character other than "?" is shown only from that very byte, or, for a letter,
    // from its capital or a character beyond ASCII that folds to it ("\u212a" to "k"). A
    // line without it cannot match, whatever the filter makes of the rest; nor can a line of
    // ASCII bytes when the needle starts beyond ASCII.
    const auto first = static_cast<unsigned char>(needle[0]);
    const bool letter = first >= 'a' && first <= 'z';
    if (first != '?' && next_of(line, 0, static_cast<char>(first)) == none &&
        (!letter || next_of(line, 0, static_cast<char>(first - 0x20)) == none) &&
        ((first < 0x80 && !letter) || all_ascii(line))) {
        return false;
    }
    scratch->shown.clear();
    append_untrusted(scratch->shown, line, line_coding(line));
    if (all_ascii(scratch->shown)) {
        return find_folded(scratch->shown, needle, 0) != none;
    }
    scratch->folded.clear();
    append_folded(scratch->folded, scratch->shown);
    return find_folded(scratch->folded, needle, 0) != none;
}

const char* text_end(std::string_view text) {
    return text.data() + text.size();
}

std::string_view line_at(std::string_view text, const char* line) {
    const auto left = static_cast<std::size_t>(text_end(text) - line);
    const void* lf = std::memchr(line, '\n', left);
    return {line,
            lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - line) : left};
}

const char* last_line(std::string_view text) {
    std::size_t end = text.size();
    if (end > 0 && text.back() == '\n') {
        --end;
    }
    const void* lf = memrchr(text.data(), '\n', end);
    return lf != nullptr ? static_cast<const char*>(lf) + 1 : text.data();
}

// A search's next line while a step runs: the state's offset as a pointer into the text as it
// is during this step.
struct LineCursor {
    std::string_view text;
    long line_count = 0;
    const char* at = nullptr;
    long index = 0;
    bool wrapped = false;
};

// Moves the cursor's line one step in the direction, round the ends.
void step_line(LineCursor& cursor, FindDirection direction) {
    if (direction == FindDirection::forward) {
        const std::string_view line = line_at(cursor.text, cursor.at);
        const char* next = line.data() + line.size() + 1;
        if (next < text_end(cursor.text)) {
            cursor.at = next;
            ++cursor.index;
        } else {
            cursor.at = cursor.text.data();
            cursor.index = 0;
            cursor.wrapped = true;
        }
        return;
    }
    if (cursor.at != cursor.text.data()) {
        const auto before = static_cast<std::size_t>(cursor.at - 1 - cursor.text.data());
        const void* lf = memrchr(cursor.text.data(), '\n', before);
        cursor.at = lf != nullptr ? static_cast<const char*>(lf) + 1 : cursor.text.data();
        --cursor.index;
    } else {
        cursor.at = last_line(cursor.text);
        cursor.index = cursor.line_count - 1;
        cursor.wrapped = true;
    }
}

std::size_t offset_in(std::string_view text, const char* at) {
    return static_cast<std::size_t>(at - text.data());
}

} // namespace

FindState find_start(FindText text, std::size_t line, long line_index, FindDirection direction,
                     bool include_start) {
    FindState state;
    state.direction = direction;
    state.at = line;
    state.at_index = line_index;
    if (line < text.text.size() && !include_start) {
        LineCursor cursor{text.text, text.line_count, text.text.data() + line, line_index, false};
        step_line(cursor, direction);
        state.at = offset_in(text.text, cursor.at);
        state.at_index = cursor.index;
        state.wrapped = cursor.wrapped;
    }
    state.first = state.at;
    return state;
}

FindResult find_step(FindState& state, FindText text, std::size_t byte_budget) {
    if (text.text.empty() || text.needle.empty() || state.at >= text.text.size() ||
        state.first >= text.text.size()) {
        return {FindStatus::no_match, 0, 0, state.wrapped};
    }
    const std::string needle = folded(text.needle);
    const char* first = text.text.data() + state.first;
    LineCursor cursor{text.text, text.line_count, text.text.data() + state.at, state.at_index,
                      state.wrapped};
    std::size_t spent = 0;
    FindResult result{FindStatus::searching, 0, 0, false};
    for (;;) {
        const std::string_view line = line_at(text.text, cursor.at);
        const FindResult here{FindStatus::found, offset_in(text.text, cursor.at), cursor.index,
                              cursor.wrapped};
        const bool match = line_has_match(line, needle, &state.scratch);
        step_line(cursor, state.direction);
        if (match) {
            result = here;
            break;
        }
        if (cursor.at == first) {
            result = {FindStatus::no_match, 0, 0, cursor.wrapped};
            break;
        }
        spent += line.size() + 1;
        if (spent >= byte_budget) {
            result = {FindStatus::searching, 0, 0, cursor.wrapped};
            break;
        }
    }
    state.at = offset_in(text.text, cursor.at);
    state.at_index = cursor.index;
    state.wrapped = cursor.wrapped;
    return result;
}

namespace {

// One piece of the filter with what it shows appended to `shown`.
UntrustedPiece append_piece(std::string& shown, std::string_view line, std::size_t i,
                            LineCoding coding) {
    const UntrustedPiece piece = next_untrusted_piece(line, i, coding);
    switch (piece.shown) {
    case ShownAs::nothing:
        break;
    case ShownAs::bytes:
        shown.append(line.data() + i, piece.next - i);
        break;
    case ShownAs::question:
        shown += '?';
        break;
    case ShownAs::cp1252:
        shown += cp1252_character(static_cast<unsigned char>(line[i]));
        break;
    }
    return piece;
}

} // namespace

std::vector<MatchSpan> find_in_line(std::string_view line, std::string_view needle,
                                    LineCoding coding) {
    std::vector<MatchSpan> matches;
    const std::string fold_needle = folded(needle);
    if (fold_needle.empty()) {
        return matches;
    }
    // The matches in the shown text first, then the pieces of the line they come from, found
    // in a second walk: memory for the shown text only, however long the line.
    std::string piece_shown;
    std::string shown; // folded
    for (std::size_t i = 0; i < line.size();) {
        piece_shown.clear();
        i = append_piece(piece_shown, line, i, coding).next;
        append_folded(shown, piece_shown);
    }
    std::vector<std::size_t> starts;
    for (std::size_t at = find_folded(shown, fold_needle, 0); at != none;
         at = find_folded(shown, fold_needle, at + fold_needle.size())) {
        starts.push_back(at);
    }
    // Only the count of folded bytes is needed now.
    std::size_t count = 0;
    std::size_t next = 0; // the first match not ended yet
    for (std::size_t i = 0; i < line.size() && next < starts.size();) {
        piece_shown.clear();
        const UntrustedPiece piece = append_piece(piece_shown, line, i, coding);
        shown.clear();
        append_folded(shown, piece_shown);
        const std::size_t before = count;
        count += shown.size();
        // A piece that shows the first byte of a match starts it; one that shows its last ends
        // it (matches do not overlap, and a piece may hold both ends).
        if (matches.size() == next && count > starts[next] && before <= starts[next]) {
            matches.push_back({i, piece.next});
        }
        while (next < matches.size() && count >= starts[next] + fold_needle.size()) {
            matches[next].to = piece.next;
            ++next;
            if (next < starts.size() && count > starts[next]) {
                matches.push_back({i, piece.next}); // the next one starts in this piece too
            }
        }
        i = piece.next;
    }
    return matches;
}

ItemFound find_item(std::span<const std::string_view> displays, long from, std::string_view needle,
                    FindDirection direction, bool include_from) {
    const auto count = static_cast<long>(displays.size());
    if (count == 0 || needle.empty()) {
        return {};
    }
    const std::string fold_needle = folded(needle);
    FindScratch scratch;
    const long step = direction == FindDirection::forward ? 1 : -1;
    from = from < 0 ? 0 : (from >= count ? count - 1 : from);
    for (long k = include_from ? 0 : 1; k <= count - (include_from ? 1 : 0); ++k) {
        const long raw = from + step * k;
        const long index = ((raw % count) + count) % count;
        if (line_has_match(displays[static_cast<std::size_t>(index)], fold_needle, &scratch)) {
            return {index, raw < 0 || raw >= count};
        }
    }
    return {};
}
