// Line count of a text page.
#include "nav/line_count.hpp"

#include <algorithm>
#include <climits>
#include <cstring>

long line_count(std::string_view text) {
    const long newlines = static_cast<long>(std::count(text.begin(), text.end(), '\n'));
    return newlines + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

void count_lines(Browser* browser, const char* text) {
    const long lines = line_count(text);
    browser->text_lines = lines > INT_MAX ? INT_MAX : static_cast<int>(lines);
}
