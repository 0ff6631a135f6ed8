// The keys of the views: the one table of what they do.
#include "ui/keys.hpp"

#include <gtest/gtest.h>

namespace {

DecodedKey byte_key(unsigned char byte) {
    return {1, Key::byte, byte};
}

// The keys of less and vi stand for the movement keys; in prompts they stay text (the prompt
// sees every key before the view).
TEST(Keys, TheKeysOfLessAndViMoveAsTheirNamesakes) {
    const struct {
        unsigned char byte;
        Key key;
    } cases[] = {
        {' ', Key::page_down}, {'j', Key::down}, {'k', Key::up}, {'g', Key::home}, {'G', Key::end}};
    for (const auto& c : cases) {
        EXPECT_EQ(view_action(byte_key(c.byte)), Action::move) << "case=" << c.byte;
        EXPECT_EQ(view_key(byte_key(c.byte)).key, c.key) << "case=" << c.byte;
    }
    EXPECT_EQ(view_action(byte_key('?')), Action::about);
    EXPECT_EQ(view_action(byte_key('a')), Action::about);
    EXPECT_EQ(view_key(byte_key('x')).key, Key::byte);
    EXPECT_EQ(view_action(byte_key('J')), Action::none);
}

} // namespace
