// The filter's output as a string of its own, for checks on what a text shows as.
#pragma once

#include <string>
#include <string_view>

#include "term/untrusted.hpp"

// What append_untrusted appends, alone.
[[nodiscard]] inline std::string sanitize_untrusted(std::string_view text,
                                                    LineCoding coding = LineCoding::utf8) {
    std::string out;
    append_untrusted(out, text, coding);
    return out;
}
