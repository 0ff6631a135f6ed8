// The table of item types, byte by byte.
#include "gopher/item_type.hpp"

#include <gtest/gtest.h>
#include <string_view>

namespace {

TEST(ItemKind, EveryByteHasItsKind) {
    const struct {
        std::string_view types;
        ItemKind kind;
        bool opens;
        bool selectable;
    } kinds[] = {
        {"1", ItemKind::menu, true, true},     {"7", ItemKind::search, true, true},
        {"0h2", ItemKind::text, true, true},   {"59gIps;dP", ItemKind::saved, false, true},
        {"8T", ItemKind::telnet, false, true}, {"i", ItemKind::info, false, false},
    };
    for (int byte = 0; byte < 256; ++byte) {
        const char type = static_cast<char>(byte);
        ItemKind kind = ItemKind::other;
        bool opens = false;
        bool selectable = false;
        for (const auto& k : kinds) {
            if (k.types.find(type) != std::string_view::npos) {
                kind = k.kind;
                opens = k.opens;
                selectable = k.selectable;
            }
        }
        EXPECT_EQ(item_kind(type), kind) << "byte=" << byte;
        EXPECT_EQ(item_opens_as_page(type), opens) << "byte=" << byte;
        EXPECT_EQ(item_selectable_type(type), selectable) << "byte=" << byte;
    }
}

} // namespace

namespace {

TEST(ItemLabel, EveryTypeHasALabelOfOneWidth) {
    const struct {
        char type;
        std::string_view label;
    } labels[] = {
        {'1', "[DIR]  "}, {'0', "[TXT]  "}, {'7', "[SRCH] "}, {'9', "[BIN]  "}, {'5', "[BIN]  "},
        {'I', "[IMG]  "}, {'g', "[IMG]  "}, {'s', "[SND]  "}, {'8', "[TEL]  "}, {'T', "[TEL]  "},
        {'h', "[WEB]  "}, {'3', "[ERR]  "}, {'i', "       "}, {'X', "[?]    "}, {'\0', "[?]    "},
    };
    for (const auto& l : labels) {
        EXPECT_EQ(item_label(l.type), l.label) << "type=" << static_cast<int>(l.type);
    }
    for (int byte = 0; byte < 256; ++byte) {
        EXPECT_EQ(item_label(static_cast<char>(byte)).size(),
                  static_cast<std::size_t>(item_label_width))
            << "byte=" << byte;
    }
}

} // namespace
