// The filter between the network and the terminal: nothing that can drive the terminal gets
// through, the result is valid UTF-8, and harmless text passes unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.hpp"
#include "fuzz_utf8.hpp"
#include "support/untrusted_text.hpp"
#include "term/untrusted.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string out = sanitize_untrusted(text);
    FUZZ_CHECK(harmless(out));
    // Bytes are only dropped or replaced one for one or more, never added.
    FUZZ_CHECK(out.size() <= text.size());
    if (harmless(text)) {
        FUZZ_CHECK(out == text);
    }
    // Appending keeps what was there and adds the same as a fresh filter.
    std::string appended = "kept";
    append_untrusted(appended, text);
    FUZZ_CHECK(appended == "kept" + out);
    return 0;
}
