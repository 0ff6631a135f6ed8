// The update step: every event the loop sees changes the model here, and only here.
#include "ui/update.hpp"

#include <utility>
#include <variant>
#include <vector>

#include "nav/model.hpp"
#include "term/key_queue.hpp"
#include "ui/fetch_work.hpp"
#include "ui/find_work.hpp"
#include "ui/history_work.hpp"
#include "ui/key_actions.hpp"
#include "ui/link_programs.hpp"
#include "ui/page_on_screen.hpp"
#include "ui/plain_output.hpp"
#include "ui/prompt.hpp"
#include "ui/save_work.hpp"

using Clock = std::chrono::steady_clock;

namespace {

constexpr unsigned char suspend_key = 0x1a; // Ctrl-Z

// The first answer about the background switches the palette; anything later changes nothing.
bool answer(Model* model, const DecodedKey& key) {
    Looks& looks = model->looks;
    if (!looks.asking) {
        return false;
    }
    looks.asking = false;
    if (key.key != Key::background || !key.light || looks.light) {
        return false;
    }
    looks.light = true;
    return true;
}

void handed_back(Model* model, const ProgramEnd& end) {
    if (!model->hand_over) {
        return;
    }
    const std::vector<Command>& commands = *model->hand_over;
    if (end.status != 0 && end.command < commands.size() && !commands[end.command].empty()) {
        model->message =
            error_message(program_failed_message(commands[end.command].front(), end.status));
    }
    model->hand_over.reset();
}

bool apply(Model* model, const Event& event, Clock::time_point now) {
    switch (event.kind) {
    case EventKind::fetch:
        start_fetch(model, now);
        // A fetch that failed at once (a host that does not resolve) has its message to show.
        return !model->fetch.transfer;
    case EventKind::resize:
        fit_to_window(model, event.window);
        if (Prompt* prompt = std::get_if<Prompt>(&model->overlay)) {
            fit_prompt(prompt, model->window);
        }
        return true;
    case EventKind::input_ended:
        // Nobody is left to press 'q'; what a prompt held is dropped.
        model->end = RunEnd{};
        return false;
    case EventKind::cancel:
        cancel_fetch(model);
        return true;
    case EventKind::ready:
        // The descriptor goes to the one transfer that watches it.
        switch (event.transfer) {
        case TransferKind::fetch:
            return step_fetch(model, event.fd, event.revents, now);
        case TransferKind::save:
            return step_save(model, event.fd, event.revents, now);
        case TransferKind::output:
            step_plain_output(model, event.fd, event.revents, now);
            return false;
        }
        return false;
    case EventKind::time: {
        // Each transfer steps once its own deadline has come.
        const bool fetched = step_fetch(model, -1, 0, now);
        const bool saved = step_save(model, -1, 0, now);
        step_plain_output(model, -1, 0, now);
        // A search still looking takes its next step at each turn.
        const bool found = step_find(model);
        return fetched || saved || found;
    }
    case EventKind::idle:
        return do_pending_work(model);
    case EventKind::answer:
        return answer(model, event.key);
    case EventKind::handed_back:
        handed_back(model, event.program);
        return true;
    case EventKind::resumed:
        fit_to_window(model, event.window);
        return true;
    case EventKind::key:
        break;
    }
    if (event.key.key == Key::byte && event.key.byte == suspend_key) {
        // Changes nothing here: the loop stops the run if a shell can resume it.
        model->suspend = true;
        return true;
    }
    // A failed fetch's words stay until the next key, which then acts as usual.
    model->message = Message{};
    // A search still looking stops at any key (Esc and Ctrl-C do only that).
    stop_find(&model->find);
    if (key_in_save_prompt(model, event.key, now)) {
        // The save prompt and its error: nothing else sees the key.
    } else if (!std::holds_alternative<NoOverlay>(model->overlay)) {
        key_in_overlay(model, event.key);
    } else if (page_loading(*model) && cancels(event.key)) {
        cancel_fetch(model);
    } else {
        key_in_view(model, event.key);
    }
    // A page asked for from the history page is a visit from the page below it.
    if (model->history.pending || model->history.reload_requested) {
        close_history_page(model);
    }
    leave_loading_page(model);
    // Every key read ends with a frame, even one that changes nothing.
    return true;
}

} // namespace

Outcome update(Model* model, const Event& event, Clock::time_point now) {
    const bool light = model->looks.light;
    const bool redraw = apply(model, event, now);
    return {.redraw = redraw,
            .fetch = wants_fetch(*model),
            .after_frame = has_pending_work(*model),
            .hold_keys = keys_held(model->fetch),
            .repaint = model->looks.light != light,
            .suspend = std::exchange(model->suspend, false),
            .hand_over = model->hand_over.has_value()};
}

void collect_waits(const Model& model, Waits* waits) {
    add_fetch_waits(model.fetch, waits);
    add_find_waits(model.find, waits);
    add_save_waits(model.save, waits);
    add_plain_output_waits(model, waits);
}
