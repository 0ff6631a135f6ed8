// What one read from the keyboard means to a view.
#include "ui/keys.hpp"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(Keys, DecodesEachReadByItsLengthAndBytes) {
    const struct {
        std::string bytes;
        long count; // the read's result
        KeyKind kind;
        unsigned char byte;
    } cases[] = {
        {"", -1, KeyKind::none, 0},
        {"", 0, KeyKind::closed, 0},
        {"q", 1, KeyKind::single, 'q'},
        {"\x1b", 1, KeyKind::single, 0x1b},
        {"\x7f", 1, KeyKind::single, 0x7f},
        {"\x1b[A", 3, KeyKind::movement, 'A'},
        {"\x1bOB", 3, KeyKind::movement, 'B'},
        {"\x1b[5", 3, KeyKind::movement, '5'},
        {"\x1b[C", 3, KeyKind::movement, 'C'},
        {"\x1bxA", 3, KeyKind::dropped, 0},
        {"qqq", 3, KeyKind::dropped, 0},
        {"\x1b[", 2, KeyKind::dropped, 0},
        {"~q", 2, KeyKind::dropped, 0},
    };
    for (const auto& c : cases) {
        const KeyRead key =
            decode_key(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.count);
        EXPECT_EQ(key.kind, c.kind) << "case=" << testing::PrintToString(c.bytes);
        if (c.kind == KeyKind::single || c.kind == KeyKind::movement) {
            EXPECT_EQ(key.byte, c.byte) << "case=" << testing::PrintToString(c.bytes);
        }
    }
}

} // namespace
