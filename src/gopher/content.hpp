// The bytes of a response, as the transaction hands them to a page.
#pragma once

#include <cstdlib>
#include <memory>

struct FreeDeleter {
    void operator()(void* p) const noexcept { std::free(p); }
};

// A NUL-terminated response from malloc/realloc, so it can grow in place while it arrives.
using Content = std::unique_ptr<char[], FreeDeleter>;
