// Menu or text, and the parsing of one menu line into an item.
#include "gopher/menu.hpp"

#include <cstring>

#include "gopher/decimal.hpp"
#include "gopher/fields.hpp"
#include "gopher/item_type.hpp"

namespace {

// How far the first line is looked at for a TAB: as far as one display field holds.
constexpr std::size_t first_line_max = display_max;

// The POSIX locale's white space, whatever locale is set.
bool is_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// A port outside 1..65535 names no connection (an empty or non-numeric field reads as 0).
bool port_in_range(int port) {
    return port >= 1 && port <= 65535;
}

bool is_placeholder_host(std::string_view host) {
    return host == "null.host" || host == "error.host";
}

} // namespace

bool content_is_menu(char type, const char* content) {
    if (content == nullptr) {
        return false;
    }
    if (type != '1' && type != '7' && type != '\0') {
        return false;
    }
    // A menu unless its first line has no TAB: a server answering a menu request with plain
    // text, usually an error message, which as a menu would lose its first letter.
    const std::size_t room = strnlen(content, first_line_max);
    const void* line_end = std::memchr(content, '\n', room);
    const std::size_t line_length =
        line_end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(line_end) - content)
                            : room;
    return std::memchr(content, '\t', line_length) != nullptr;
}

std::size_t trimmed_length(const char* text, std::size_t length) {
    std::size_t first = 0;
    while (first < length && is_space(text[first])) {
        ++first;
    }
    if (first == length) {
        return length;
    }
    std::size_t end = length;
    while (end - 1 > first && is_space(text[end - 1])) {
        --end;
    }
    return end;
}

int parse_menu_line(std::string_view line, std::size_t at, MenuItem* item, const char* default_host,
                    int default_port) {
    // Every text empty and every number 0.
    *item = MenuItem{};
    item->display_at = item->selector_at = item->host_at = at;
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    if (line.size() < 2) {
        return 0;
    }
    item->type = line[0];

    // display, selector, host, port: cut at the first three TABs only.
    std::string_view fields[4];
    std::size_t starts[4] = {1, 0, 0, 0};
    int tabs = 0;
    std::size_t from = 1;
    for (; tabs < 3; ++tabs) {
        const std::size_t tab = line.find('\t', from);
        if (tab == std::string_view::npos) {
            break;
        }
        fields[tabs] = line.substr(from, tab - from);
        from = tab + 1;
        starts[tabs + 1] = from;
    }
    fields[tabs] = line.substr(from);

    const std::size_t display = fields[0].size() < display_max ? fields[0].size() : display_max;
    item->display_at = at + starts[0];
    item->display_length = static_cast<std::uint16_t>(trimmed_length(fields[0].data(), display));
    if (tabs < 2 || item->type == 'i') {
        return 1;
    }
    item->link = 1;
    item->selector_at = at + starts[1];
    item->selector_length = static_cast<std::uint16_t>(
        fields[1].size() < selector_max ? fields[1].size() : selector_max);
    item->host_at = at + starts[2];
    item->host_length =
        static_cast<std::uint8_t>(fields[2].size() < host_max ? fields[2].size() : host_max);
    item->port = tabs >= 3 ? read_decimal(fields[3]) : default_port;
    const std::string_view host = item->host_length > 0
                                      ? std::string_view{fields[2].data(), item->host_length}
                                      : std::string_view{default_host};
    const bool usable =
        item_selectable_type(item->type) && !is_placeholder_host(host) && port_in_range(item->port);
    item->selectable = usable ? 1 : 0;
    return 1;
}

std::string_view menu_item_display(const MenuItem& item, const char* content) {
    return {content + item.display_at, item.display_length};
}

std::string_view menu_item_selector(const MenuItem& item, const char* content) {
    return {content + item.selector_at, item.selector_length};
}

std::string_view menu_item_host(const MenuItem& item, const char* content,
                                const char* default_host) {
    if (!item.link) {
        return {};
    }
    if (item.host_length == 0) {
        return default_host;
    }
    return {content + item.host_at, item.host_length};
}
