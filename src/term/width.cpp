// Untrusted text as the terminal shows it: measured in columns and cut to fit a row.
#include "term/width.hpp"

#include <utf8proc.h>

#include "term/untrusted.hpp"

namespace {

constexpr int tab_stop = 8;
// Zero-width characters kept on one character, as in Unicode's stream-safe text: a line of
// nothing but combining marks must not become megabytes on one row.
constexpr int max_zero_width_run = 30;

// Writes one piece that fits, as the filter shows it.
void append_piece(std::string& out, std::string_view line, std::size_t i, const ShownPiece& piece,
                  int* zero_width_run) {
    if (piece.written == Written::as_is && piece.cols == 0) {
        ++*zero_width_run;
    } else if (piece.written != Written::nothing) {
        *zero_width_run = 0;
    }
    if (piece.written == Written::as_is && *zero_width_run <= max_zero_width_run) {
        out.append(line.data() + i, piece.next - i);
    } else if (piece.written == Written::blanks) {
        out.append(static_cast<std::size_t>(piece.cols), ' ');
    } else if (piece.written == Written::question) {
        out += '?';
    } else if (piece.written == Written::cp1252) {
        out += cp1252_character(static_cast<unsigned char>(line[i]));
    }
}

} // namespace

ShownPiece shown_piece(std::string_view line, std::size_t at, long col, TabShow tabs,
                       LineCoding coding) {
    const UntrustedPiece piece = next_untrusted_piece(line, at, coding);
    switch (piece.shown) {
    case ShownAs::nothing:
        return {piece.next, 0, Written::nothing};
    case ShownAs::question:
        return {piece.next, 1, Written::question};
    case ShownAs::cp1252:
        return {piece.next, 1, Written::cp1252};
    case ShownAs::bytes:
        break;
    }
    const auto lead = static_cast<unsigned char>(line[at]);
    if (lead == '\t') {
        const long blanks = tabs == TabShow::one_blank ? 1 : tab_stop - col % tab_stop;
        return {piece.next, static_cast<int>(blanks), Written::blanks};
    }
    if (lead < 0x80) {
        return {piece.next, 1, Written::as_is};
    }
    // The filter passed a whole, valid character.
    utf8proc_int32_t code_point = 0;
    utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(line.data() + at),
                     static_cast<utf8proc_ssize_t>(piece.next - at), &code_point);
    return {piece.next, utf8proc_charwidth(code_point), Written::as_is};
}

int append_cut(std::string& out, std::string_view line, int max_cols, TabShow tabs,
               LineCoding coding) {
    int cols = 0;
    int zero_width_run = 0;
    const std::size_t end = line.size();
    std::size_t i = 0;
    while (i < end && max_cols > 0) {
        // The common case: printable ASCII, one column a byte, as many as fit at once.
        const auto room = static_cast<std::size_t>(max_cols - cols);
        const std::size_t run = printable_prefix(line.substr(i, room < end - i ? room : end - i));
        if (run > 0) {
            out.append(line.data() + i, run);
            i += run;
            cols += static_cast<int>(run);
            zero_width_run = 0;
            continue;
        }
        const ShownPiece piece = shown_piece(line, i, cols, tabs, coding);
        if (piece.cols > max_cols - cols) {
            // Blanks may stop at the edge; a character is whole or not there.
            if (piece.written == Written::blanks) {
                out.append(static_cast<std::size_t>(max_cols - cols), ' ');
                cols = max_cols;
            }
            break;
        }
        append_piece(out, line, i, piece, &zero_width_run);
        cols += piece.cols;
        i = piece.next;
    }
    return cols;
}

namespace {

// The row's marks as it goes: the sequences written where a piece enters or leaves a range.
struct MarkState {
    const Marks& marks;
    std::size_t next = 0; // the first range not wholly behind
    // The range the marks are on (npos: none).
    std::size_t on = std::string_view::npos;

    // Switches at the piece starting at i; returns where the current state next changes.
    std::size_t at(std::string& out, std::size_t i) {
        const std::span<const ByteRange> ranges = marks.ranges;
        while (next < ranges.size() && ranges[next].to <= i) {
            ++next;
        }
        const bool inside = next < ranges.size() && ranges[next].from <= i;
        const std::size_t now = inside ? next : std::string_view::npos;
        const bool was_current = on == marks.current && on != std::string_view::npos;
        const bool is_current = inside && next == marks.current;
        if (!inside && on != std::string_view::npos) {
            out += marks.off;
        } else if (inside && (on == std::string_view::npos || was_current != is_current)) {
            out += is_current ? marks.current_on : marks.on;
        }
        on = now;
        if (next == ranges.size()) {
            return std::string_view::npos;
        }
        return inside ? ranges[next].to : ranges[next].from;
    }
};

} // namespace

int append_row(std::string& out, const LinePart& part, long skip, int max_cols,
               const Marks& marks) {
    const std::string_view line = part.line;
    const std::size_t end = part.end;
    MarkState mark{marks};
    int cols = 0;    // columns appended
    long passed = 0; // columns of the part gone by, the skipped ones included
    int zero_width_run = 0;
    bool skipping = skip > 0; // still on skipped columns, or marks on a skipped character
    std::size_t i = part.from;
    while (i < end && max_cols > 0) {
        std::size_t stop = end;
        if (!marks.ranges.empty()) {
            const std::size_t change = mark.at(out, i);
            stop = change < stop && change > i ? change : stop;
        }
        // Printable ASCII, one column a byte: skipped or appended as a run.
        const auto room = static_cast<std::size_t>(passed < skip ? skip - passed : max_cols - cols);
        const std::size_t run = printable_prefix(line.substr(i, room < stop - i ? room : stop - i));
        if (run > 0) {
            if (passed >= skip) {
                out.append(line.data() + i, run);
                cols += static_cast<int>(run);
                skipping = false;
            }
            passed += static_cast<long>(run);
            i += run;
            zero_width_run = 0;
            continue;
        }
        const ShownPiece piece =
            shown_piece(line, i, part.col + passed, TabShow::to_tab_stop, part.coding);
        if (passed < skip || (skipping && piece.cols == 0)) {
            // Left of the view; what shows past its edge becomes blanks.
            const long shown = passed + piece.cols - skip;
            if (shown > 0) {
                const int blanks =
                    shown < max_cols - cols ? static_cast<int>(shown) : max_cols - cols;
                out.append(static_cast<std::size_t>(blanks), ' ');
                cols += blanks;
                skipping = false;
            }
            passed += piece.cols;
            i = piece.next;
            continue;
        }
        skipping = false;
        if (piece.cols > max_cols - cols) {
            // Blanks may stop at the edge; a character is whole or not there.
            if (piece.written == Written::blanks) {
                out.append(static_cast<std::size_t>(max_cols - cols), ' ');
                cols = max_cols;
            }
            break;
        }
        append_piece(out, line, i, piece, &zero_width_run);
        cols += piece.cols;
        passed += piece.cols;
        i = piece.next;
    }
    if (mark.on != std::string_view::npos) {
        out += marks.off;
    }
    return cols;
}

long shown_width(std::string_view line, TabShow tabs, LineCoding coding) {
    long cols = 0;
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t run = printable_prefix(line.substr(i));
        if (run > 0) {
            cols += static_cast<long>(run);
            i += run;
            continue;
        }
        const ShownPiece piece = shown_piece(line, i, cols, tabs, coding);
        cols += piece.cols;
        i = piece.next;
    }
    return cols;
}

std::size_t fitting_tail_start(std::string_view line, int max_cols, TabShow tabs) {
    const auto continuation = [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U;
    };
    std::size_t start = line.size();
    long used = 0;
    while (start > 0) {
        std::size_t at = start - 1;
        while (at > 0 && continuation(line[at])) {
            --at;
        }
        used += shown_width(line.substr(at, start - at), tabs);
        if (used > max_cols) {
            break;
        }
        start = at;
    }
    return start;
}
