// Menu or text, and the parsing of one menu line into an item.
#include "gopher/menu.hpp"

#include <cstring>

#include "gopher/decimal.hpp"
#include "nav/bounded_copy.hpp"

namespace {

// The POSIX locale's white space, whatever locale is set.
bool is_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool opens_as_page(char type) {
    return type != '\0' && std::strchr("0127h", type) != nullptr;
}

// A port outside 1..65535 names no connection (an empty or non-numeric field reads as 0).
bool port_in_range(int port) {
    return port >= 1 && port <= 65535;
}

bool is_placeholder_host(const char* host) {
    return std::strcmp(host, "null.host") == 0 || std::strcmp(host, "error.host") == 0;
}

} // namespace

int page_is_menu(const Page* page) {
    if (page == nullptr || !page->content) {
        return 0;
    }
    switch (page->type) {
    case '1':
    case '7':
        return 1;
    case '\0':
        break;
    default:
        return 0;
    }
    // A page asked for without a type is a menu unless its first line has no TAB: a server
    // answering a menu request with plain text, usually an error message.
    const char* content = page->content.get();
    const std::size_t room = strnlen(content, 1023);
    const void* line_end = std::memchr(content, '\n', room);
    const std::size_t line_length =
        line_end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(line_end) - content)
                            : room;
    return std::memchr(content, '\t', line_length) != nullptr ? 1 : 0;
}

void trim_trailing_space(char* text) {
    char* first = text;
    while (*first != '\0' && is_space(*first)) {
        ++first;
    }
    if (*first == '\0') {
        return;
    }
    char* end = text + std::strlen(text);
    while (end - 1 > first && is_space(end[-1])) {
        --end;
    }
    *end = '\0';
}

int parse_menu_line(char* line, MenuItem* item, const char* default_host, int default_port) {
    // Every text empty and every number 0. The bytes after a terminator are never read, and
    // leaving them alone keeps a long menu from writing 2 KB into every record of its array.
    item->type = '\0';
    item->display[0] = '\0';
    item->selector[0] = '\0';
    item->host[0] = '\0';
    item->port = 0;
    item->selectable = 0;
    item->ordinal = 0;
    std::size_t length = std::strlen(line);
    if (length > 0 && line[length - 1] == '\r') {
        line[--length] = '\0';
    }
    if (length < 2) {
        return 0;
    }
    item->type = line[0];

    // display, selector, host, port: cut at the first three TABs only.
    char* fields[4] = {line + 1, nullptr, nullptr, nullptr};
    int tabs = 0;
    for (char* p = line + 1; tabs < 3 && (p = std::strchr(p, '\t')) != nullptr;) {
        *p++ = '\0';
        fields[++tabs] = p;
    }

    copy_bounded(item->display, fields[0], 1023);
    trim_trailing_space(item->display);
    if (tabs < 2 || item->type == 'i') {
        return 1;
    }
    copy_bounded(item->selector, fields[1], 1023);
    copy_bounded(item->host, *fields[2] != '\0' ? fields[2] : default_host, 255);
    item->port = tabs >= 3 ? read_decimal(fields[3]) : default_port;
    const bool openable =
        opens_as_page(item->type) && !is_placeholder_host(item->host) && port_in_range(item->port);
    item->selectable = openable ? 1 : 0;
    return 1;
}
