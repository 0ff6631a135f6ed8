// The line count of the text on screen: the fetch's count while it arrives, the measured one
// once it is whole.
#include "ui/text_lines.hpp"

#include <climits>

#include "nav/model.hpp"

bool text_arriving(const Model& model) {
    const Page* page = model.history.current;
    return page != nullptr && model.fetch.filling == page;
}

int text_line_count(const Model& model) {
    if (!text_arriving(model)) {
        return model.shown.text_lines;
    }
    const Page& page = *model.history.current;
    const bool cut = page.content && page.size > 0 && page.content.get()[page.size - 1] != '\n';
    const std::size_t lines = model.fetch.newlines + (cut ? 1 : 0);
    return lines > INT_MAX ? INT_MAX : static_cast<int>(lines);
}
