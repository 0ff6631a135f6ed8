// A failed property in a fuzz target: say which, then abort so that libFuzzer keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void fuzz_property_failed(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_CHECK(condition)                                                                      \
    ((condition) ? static_cast<void>(0) : fuzz_property_failed(#condition, __FILE__, __LINE__))
