// One bookmark as a line of a Gopher menu, and finding bookmarks among a file's lines.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// What a bookmark keeps: a link as a menu line gives it. The display is what the user reads;
// type, selector, host and port say which place it is, and so whether it is kept already.
struct Bookmark {
    char type = '1';
    std::string display;
    std::string selector;
    std::string host;
    int port = 70;
};

// The display string as a menu line can hold it: TAB, CR and LF (which would end the field or
// the line) and NUL become blanks, and the whole is cut to at most 1023 bytes without splitting
// a UTF-8 character. Bytes that are no UTF-8 each count as a character of their own.
[[nodiscard]] std::string line_display(std::string_view display, std::size_t max = 1023);

// The fields of a link to the place that a menu line can hold, as given when they fit. A
// selector holding TAB, CR, LF or NUL (a search's query follows a TAB) becomes a link of type
// `h` to "URL:gopher://HOST:PORT/TSELECTOR", with the bytes percent-encoded, which opens the
// same page.
[[nodiscard]] Bookmark link_for_line(Bookmark place);

// "TDISPLAY\tSELECTOR\tHOST\tPORT\r\n", the display passed through line_display and the other
// fields taken as given; nothing when the type, the selector or the host holds a byte that would
// break the line (TAB, CR, LF, NUL), so that a line once written reads back as the same place.
[[nodiscard]] std::optional<std::string> bookmark_line(const Bookmark& bookmark);

// Whether a line of bytes (a file's, the bookmarks page's) keeps a link to the same place: same
// type, selector, host and port. Lines that are no links (information lines, comments, blank
// lines, anything else) never match.
[[nodiscard]] bool has_bookmark(std::string_view bytes, const Bookmark& place);

// A whole line of a file, its end (CR LF, LF, or none at the end of the file) included.
struct LineSpot {
    std::size_t at = 0;
    std::string line;
};
// The line of bytes that holds offset `inside` (< bytes.size()): what a removal checks and takes
// out.
[[nodiscard]] LineSpot line_spot(std::string_view bytes, std::size_t inside);
