// The bookmarks file: read as the bookmarks page, added to and removed from by line, safely when
// several programs share it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "nav/bookmark_line.hpp"

// The most of the file that is read, and the largest file a removal rewrites.
inline constexpr std::size_t bookmarks_read_max = std::size_t{1} << 20U;

struct BookmarksRead {
    std::string bytes;  // the file's first bookmarks_read_max bytes; empty when there is none
    bool cut = false;   // the file is longer: the page is incomplete
    std::string reason; // why it could not be read (strerror); empty when it could
};

// A missing file reads as an empty one. Never waits: a FIFO or a device at the path is refused.
[[nodiscard]] BookmarksRead read_bookmarks(const std::string& path);

enum class AddStatus { added, already, failed };
struct AddResult {
    AddStatus status;
    std::string reason; // for failed: strerror, or what else stood in the way
};

// Appends the bookmark's line in one write (O_APPEND), unless a link to the same place is in the
// file (`already`). The folders on the way are made as needed (0700) and the file created (0666
// less the umask). Holds the file's lock while it looks and writes, so that it never writes
// into a file a removal is replacing, and two programs never add the same place twice. On a
// failure the file is as it was.
[[nodiscard]] AddResult add_bookmark(const std::string& path, const Bookmark& bookmark);

enum class RemoveStatus { removed, changed, too_large, failed };
struct RemoveResult {
    RemoveStatus status;
    std::string reason; // for failed
};

// Takes out the line spot.line found at spot.at when the file was read, when it is still there
// byte for byte; otherwise (another program removed or edited it) nothing (`changed`). Every
// other byte stays. The new contents go to a temporary file beside the file, which is then
// renamed over it, under the file's lock. A file larger than bookmarks_read_max is never
// rewritten (`too_large`). A path that is a symbolic link keeps it: its target is rewritten.
[[nodiscard]] RemoveResult remove_bookmark(const std::string& path, const LineSpot& spot);

// The texts the user reads: "Bookmarked: DISPLAY", "Already bookmarked.",
// "Error: Cannot keep the bookmark: REASON."; "Removed: DISPLAY", "Error: The bookmarks file
// changed; nothing removed.", "Error: The bookmarks file is too large to change here.",
// "Error: Cannot remove the bookmark: REASON."; "Error: Cannot read the bookmarks: REASON.".
[[nodiscard]] std::string add_message(const AddResult& result, std::string_view display);
[[nodiscard]] std::string remove_message(const RemoveResult& result, std::string_view display);
[[nodiscard]] std::string read_message(const BookmarksRead& read);

// What the bookmarks page shows of the bytes read: the bytes, or for no file or an empty one an
// information line saying how to keep a bookmark.
[[nodiscard]] std::string bookmarks_page_content(std::string bytes);
