// The words on the bottom row until the next key: a failed or cancelled fetch, how a save
// ended, where a link goes, a search's news. The newest takes the place of the one before.
#pragma once

#include <string>
#include <utility>

enum class MessageKind { note, error, done };

struct Message {
    std::string text; // empty for none
    MessageKind kind = MessageKind::note;
    // Too long for the row, the text loses its start rather than its end: a URL's end is what
    // tells one link from the next.
    bool keep_end = false;
};

[[nodiscard]] inline Message note_message(std::string text, bool keep_end = false) {
    return {std::move(text), MessageKind::note, keep_end};
}

// Something the user asked for is done (a bookmark kept or removed): in green.
[[nodiscard]] inline Message done_message(std::string text) {
    return {std::move(text), MessageKind::done, false};
}

[[nodiscard]] inline Message error_message(std::string text) {
    return {std::move(text), MessageKind::error, false};
}
