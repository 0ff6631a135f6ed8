// The history page: the pages of the run as a menu of links, to show as any menu.
#include "nav/history_page.hpp"

#include <optional>

#include "gopher/fields.hpp"
#include "gopher/url.hpp"
#include "nav/bookmark_line.hpp"

namespace {

constexpr std::string_view here_mark = " (here)";
constexpr std::string_view nothing_listed = "iNo pages visited yet.\t\tnull.host\t1\r\n";

// The URL that typed back opens the page; an address that ended in "/" has no type to write.
std::string page_url(const HistoryEntry& entry) {
    if (entry.type == '\0') {
        std::string url = gopher_url(entry.host, entry.port, '1', "");
        url.pop_back();
        return url;
    }
    return gopher_url(entry.host, entry.port, entry.type, entry.selector);
}

} // namespace

std::string history_menu(std::span<const HistoryEntry> entries) {
    std::string menu;
    for (const HistoryEntry& entry : entries) {
        if (!entry.listed) {
            continue;
        }
        Bookmark link;
        // A page of no type (its first line decided) is a menu or a text; as a menu it is shown
        // again whichever it was.
        link.type = entry.type == '\0' ? '1' : entry.type;
        link.selector = entry.selector;
        link.host = entry.host;
        link.port = entry.port;
        const std::string shown =
            entry.display.empty() ? page_url(entry) : std::string(entry.display);
        // The mark must survive the menu's cut of the display string.
        link.display = line_display(shown, display_max - (entry.here ? here_mark.size() : 0));
        if (entry.here) {
            link.display += here_mark;
        }
        if (const std::optional<std::string> line = bookmark_line(link_for_line(link))) {
            menu += *line;
        }
    }
    return menu.empty() ? std::string(nothing_listed) : menu;
}
