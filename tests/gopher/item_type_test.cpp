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
