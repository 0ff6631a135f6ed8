// The line count of a text page against the plainest loop that could compute it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.hpp"
#include "nav/line_count.hpp"
#include "support/line_counts.hpp"
#include "support/reference.hpp"

namespace {

// The page's content is a C string: an exact-size copy catches a read past its NUL.
void check_count_lines(const char* bytes, std::size_t size) {
    const std::size_t length = strnlen(bytes, size);
    std::vector<char> content(bytes, bytes + length);
    content.push_back('\0');
    FUZZ_CHECK(count_lines(content.data()) == reference::line_count(bytes, length));
}

// A text of about 64 KiB, ending anywhere around that size, made by repeating the input after
// its first byte: long texts are counted piece by piece, and a line or a NUL may straddle the
// seam. Only for a first byte of 0x80 or above, since a long text costs a thousand short ones.
std::string long_text(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || data[0] < 0x80) {
        return {};
    }
    const std::size_t length = 65536 - 64 + (data[0] & 0x7f);
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    while (text.size() < length) {
        text += text;
    }
    text.resize(length);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    FUZZ_CHECK(lines_in({bytes, size}) == reference::line_count(bytes, size));
    check_count_lines(bytes, size);
    if (const std::string text = long_text(data, size); !text.empty()) {
        FUZZ_CHECK(lines_in(text) == reference::line_count(text.data(), text.size()));
        check_count_lines(text.data(), text.size());
    }
    return 0;
}
