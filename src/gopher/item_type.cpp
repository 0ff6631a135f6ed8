// What a menu item's type character stands for: the one table of item types.
#include "gopher/item_type.hpp"

#include <array>

namespace {

struct TypeEntry {
    char type;
    ItemKind kind;
};

// Every type with a meaning of its own; any other is ItemKind::other.
constexpr std::array<TypeEntry, 17> item_types{{
    {'1', ItemKind::menu},
    {'7', ItemKind::search},
    {'0', ItemKind::text},
    {'h', ItemKind::text},
    // A phone-book server answers in text.
    {'2', ItemKind::text},
    {'5', ItemKind::saved},
    {'9', ItemKind::saved},
    {'g', ItemKind::saved},
    {'I', ItemKind::saved},
    {'p', ItemKind::saved},
    {'s', ItemKind::saved},
    {';', ItemKind::saved},
    {'d', ItemKind::saved},
    {'P', ItemKind::saved},
    {'8', ItemKind::telnet},
    {'T', ItemKind::telnet},
    {'i', ItemKind::info},
}};

} // namespace

ItemKind item_kind(char type) {
    for (const TypeEntry& entry : item_types) {
        if (entry.type == type) {
            return entry.kind;
        }
    }
    return ItemKind::other;
}

bool item_opens_as_page(char type) {
    const ItemKind kind = item_kind(type);
    return kind == ItemKind::menu || kind == ItemKind::search || kind == ItemKind::text;
}

bool item_selectable_type(char type) {
    const ItemKind kind = item_kind(type);
    return item_opens_as_page(type) || kind == ItemKind::saved || kind == ItemKind::telnet;
}
