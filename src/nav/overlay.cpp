// What is drawn over the page, one state at a time.
#include "nav/overlay.hpp"

const QueryFor* query_for(const Overlay& overlay) {
    const Prompt* prompt = std::get_if<Prompt>(&overlay);
    if (const auto* error = std::get_if<PromptError>(&overlay); error != nullptr && error->reopen) {
        prompt = &*error->reopen;
    }
    return prompt != nullptr ? std::get_if<QueryFor>(&prompt->target) : nullptr;
}
