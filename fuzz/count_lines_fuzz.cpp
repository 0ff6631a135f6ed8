// The line count of a text page against the plainest loop that could compute it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_check.hpp"
#include "nav/line_count.hpp"

namespace {

long reference_count(const char* text, std::size_t length) {
    long lines = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == '\n') {
            ++lines;
        }
    }
    if (length > 0 && text[length - 1] != '\n') {
        ++lines;
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    FUZZ_CHECK(line_count({bytes, size}) == reference_count(bytes, size));

    // The page's content is a C string: an exact-size copy catches a read past its NUL.
    const std::size_t length = strnlen(bytes, size);
    std::vector<char> content(bytes, bytes + length);
    content.push_back('\0');
    Browser browser{};
    browser.text_lines = -1;
    count_lines(&browser, content.data());
    FUZZ_CHECK(browser.text_lines == reference_count(bytes, length));
    return 0;
}
