// What a menu item's type character stands for: the one table of item types.
#include "gopher/item_type.hpp"

#include <array>

namespace {

struct TypeEntry {
    char type;
    ItemKind kind;
    std::string_view label; // padded to item_label_width
};

// Every type with a meaning or a label of its own; any other is ItemKind::other, "[?]".
constexpr std::array<TypeEntry, 20> item_types{{
    {'1', ItemKind::menu, "[DIR]  "},
    {'7', ItemKind::search, "[SRCH] "},
    {'0', ItemKind::text, "[TXT]  "},
    {'h', ItemKind::text, "[WEB]  "},
    // A phone-book server answers in text.
    {'2', ItemKind::text, "[TXT]  "},
    {'5', ItemKind::saved, "[BIN]  "},
    {'9', ItemKind::saved, "[BIN]  "},
    {'g', ItemKind::saved, "[IMG]  "},
    {'I', ItemKind::saved, "[IMG]  "},
    {'p', ItemKind::saved, "[IMG]  "},
    {'s', ItemKind::saved, "[SND]  "},
    {';', ItemKind::saved, "[BIN]  "},
    {'d', ItemKind::saved, "[BIN]  "},
    {'P', ItemKind::saved, "[BIN]  "},
    {'8', ItemKind::telnet, "[TEL]  "},
    {'T', ItemKind::telnet, "[TEL]  "},
    {'i', ItemKind::info, "       "},
    // Known, but nothing the program can open: an error line, BinHex and uuencoded files.
    {'3', ItemKind::other, "[ERR]  "},
    {'4', ItemKind::other, "[BIN]  "},
    {'6', ItemKind::other, "[BIN]  "},
}};

constexpr std::string_view unknown_label = "[?]    ";

constexpr const TypeEntry* find_entry(char type) {
    for (const TypeEntry& entry : item_types) {
        if (entry.type == type) {
            return &entry;
        }
    }
    return nullptr;
}

static_assert([] {
    for (const TypeEntry& entry : item_types) {
        if (entry.label.size() != item_label_width) {
            return false;
        }
    }
    return unknown_label.size() == item_label_width;
}());

} // namespace

ItemKind item_kind(char type) {
    const TypeEntry* entry = find_entry(type);
    return entry != nullptr ? entry->kind : ItemKind::other;
}

std::string_view item_label(char type) {
    const TypeEntry* entry = find_entry(type);
    return entry != nullptr ? entry->label : unknown_label;
}

bool item_opens_as_page(char type) {
    const ItemKind kind = item_kind(type);
    return kind == ItemKind::menu || kind == ItemKind::search || kind == ItemKind::text;
}

bool item_selectable_type(char type) {
    const ItemKind kind = item_kind(type);
    return item_opens_as_page(type) || kind == ItemKind::saved || kind == ItemKind::telnet;
}
