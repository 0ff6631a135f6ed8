// A line cut to a number of columns: what comes out is harmless, no wider than allowed, as
// wide as it says, and the filter's result cut, so that a wider cut only adds to a narrower one.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utf8proc.h>

#include "fuzz_check.hpp"
#include "fuzz_utf8.hpp"
#include "support/untrusted_text.hpp"
#include "term/untrusted.hpp"
#include "term/width.hpp"

namespace {

// Columns of harmless text without TABs, one character at a time.
long columns_of(std::string_view text) {
    long cols = 0;
    for (std::size_t i = 0; i < text.size();) {
        cols += utf8proc_charwidth(static_cast<utf8proc_int32_t>(next_code_point(text, i)));
    }
    return cols;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const int cols = input.ConsumeIntegralInRange(0, 250);
    const TabShow tabs = input.ConsumeBool() ? TabShow::one_blank : TabShow::to_tab_stop;
    const std::string line = input.ConsumeRemainingBytesAsString();

    std::string out = "kept";
    const int used = append_cut(out, line, cols, tabs);
    FUZZ_CHECK(out.compare(0, 4, "kept") == 0);
    out.erase(0, 4);
    FUZZ_CHECK(used >= 0 && used <= cols);
    FUZZ_CHECK(harmless(out));
    FUZZ_CHECK(out.find('\t') == std::string::npos); // TABs are blanks by now
    FUZZ_CHECK(columns_of(out) == used);

    // One column more only adds; the whole line's cut is the filter's result (TABs aside,
    // and a long run of marks on one character, which is thinned).
    std::string wider;
    const int wider_used = append_cut(wider, line, cols + 1, tabs);
    FUZZ_CHECK(wider.compare(0, out.size(), out) == 0);
    FUZZ_CHECK(wider_used >= used);
    std::string whole;
    append_cut(whole, line, 1 << 20, tabs);
    FUZZ_CHECK(whole.compare(0, out.size(), out) == 0);
    FUZZ_CHECK(columns_of(whole) == shown_width(line, tabs));
    if (tabs == TabShow::one_blank && line.size() < 62) {
        std::string filtered = sanitize_untrusted(line);
        for (char& c : filtered) {
            c = c == '\t' ? ' ' : c;
        }
        FUZZ_CHECK(whole == filtered);
    }
    // Only a character too wide for the last column, or the end of the line, leaves room.
    if (used < cols - 1) {
        FUZZ_CHECK(whole == out);
    }
    return 0;
}
