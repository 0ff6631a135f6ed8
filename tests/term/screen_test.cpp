// Screen primitives: where centred text starts.
#include <gtest/gtest.h>

#include "term/screen.hpp"

TEST(Screen, CentredTextStartsAtHalfTheSpareWidth) {
    struct Case {
        int width;
        std::size_t length;
        int column;
    };
    // Below column 2 the text starts at the edge, also when it is wider than the screen.
    for (const Case c : {Case{80, 78, 1}, Case{82, 78, 2}, Case{83, 78, 2}, Case{80, 4, 38},
                         Case{10, 78, 1}, Case{0, 0, 1}}) {
        EXPECT_EQ(centered_column(static_cast<long>(c.length), c.width), c.column)
            << "case=" << c.width << "/" << c.length;
    }
}
