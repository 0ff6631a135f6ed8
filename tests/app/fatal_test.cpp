// The ways the program ends on an unrecoverable error.
#include "app/fatal.hpp"

#include <gtest/gtest.h>
#include <new>

namespace {

TEST(FatalDeathTest, FailedAllocationEndsWithOutOfMemory) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The handler is what operator new calls when memory runs out (a real failure cannot be
    // made under the address sanitizer, which reports it itself).
    EXPECT_EXIT(
        {
            install_out_of_memory_handler();
            std::new_handler handler = std::get_new_handler();
            if (handler != nullptr) {
                handler();
            }
        },
        testing::ExitedWithCode(1), "^Error: Out of memory\\.\n$");
}

TEST(FatalDeathTest, SystemErrorLinesComeJustBeforeTheMessage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(fatal_after("socket: Too many open files\n", "Error: Could not connect to host"),
                testing::ExitedWithCode(1),
                "^socket: Too many open files\nError: Could not connect to host\n$");
}

} // namespace
