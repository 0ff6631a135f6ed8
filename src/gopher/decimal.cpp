// Port numbers as the C library's atoi reads them, without its overflow.
#include "gopher/decimal.hpp"

#include <climits>
#include <cstring>

int read_decimal(const char* text) {
    return read_decimal(std::string_view{text, std::strlen(text)});
}

int read_decimal(std::string_view text) {
    std::size_t at = 0;
    const auto more = [&] { return at < text.size(); };
    // The POSIX locale's white space, whatever locale is set.
    while (more() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) {
        ++at;
    }
    bool negative = false;
    if (more() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    long long value = 0;
    for (; more() && text[at] >= '0' && text[at] <= '9'; ++at) {
        if (value <= static_cast<long long>(INT_MAX) + 1) {
            value = value * 10 + (text[at] - '0');
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}
