// What one read from the keyboard means to a view.
#include "ui/keys.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

#include "ui/stdio_swap.hpp"

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

TEST(Keys, QueuedBytesComeFirstOneKeyAtATime) {
    InputQueue queue{};
    const std::string typed = "j\x1b[Bkq";
    queue_input(&queue, reinterpret_cast<const unsigned char*>(typed.data()), typed.size());
    StdioSwap stdio("z");
    const struct {
        KeyKind kind;
        unsigned char byte;
    } expected[] = {{KeyKind::single, 'j'},
                    {KeyKind::movement, 'B'},
                    {KeyKind::single, 'k'},
                    {KeyKind::single, 'q'},
                    {KeyKind::single, 'z'}};
    for (const auto& e : expected) {
        const KeyRead key = read_key(&queue);
        EXPECT_EQ(key.kind, e.kind) << "key=" << e.byte;
        EXPECT_EQ(key.byte, e.byte);
    }
    EXPECT_EQ(read_key(&queue).kind, KeyKind::closed);
}

TEST(Keys, AFailingReadIsTheEndOfInput) {
    // A directory opens for reading, but every read of it fails.
    const int directory = open("/", O_RDONLY | O_DIRECTORY);
    ASSERT_GE(directory, 0);
    StdioSwap stdio("");
    dup2(directory, STDIN_FILENO);
    close(directory);
    InputQueue queue{};
    EXPECT_EQ(read_key(&queue).kind, KeyKind::closed);
    unsigned char byte = 0;
    EXPECT_FALSE(read_byte(&queue, &byte));
}

} // namespace
