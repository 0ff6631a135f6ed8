// The save in the model: its prompt, the download going to a file as it arrives alongside the
// page, its progress and its end.
#include "ui/save_work.hpp"

#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "gopher/file_name.hpp"
#include "gopher/item_type.hpp"
#include "gopher/menu.hpp"
#include "gopher/url.hpp"
#include "nav/model.hpp"
#include "nav/save_path.hpp"
#include "ui/marked_link.hpp"
#include "ui/page_on_screen.hpp"
#include "ui/prompt.hpp"
#include "ui/transfer_work.hpp"

namespace {

using Clock = std::chrono::steady_clock;

void open_save_prompt(Model* model, SaveTarget target, std::string_view selector) {
    target.proposed = proposed_file_name(selector);
    open_prompt(&model->overlay, PromptKind::save, target.proposed, model->window);
    model->save.target = std::move(target);
}

// Where the name typed saves to: "~" is the home folder, a folder takes the proposed name.
std::string typed_path(std::string_view typed, std::string_view proposed) {
    const char* home = std::getenv("HOME");
    const std::string_view home_folder = home != nullptr ? home : "";
    return save_path(typed, proposed, home_folder,
                     is_existing_folder(expand_home(typed, home_folder)));
}

// The page's bytes are here already: written at once, no fetch.
void save_page(Model* model) {
    Save& save = model->save;
    const Page* page = model->history.current;
    if (page == nullptr || !page->content || page->fetch != save.target.fetch) {
        save_cancel(&save.file);
        model->message = error_message(save_page_gone_message);
        return;
    }
    // A page still arriving has what came so far, counted in the page by the transfer.
    const bool arriving = model->fetch.filling == page;
    const std::size_t size = page->size;
    SaveResult result = save_write(&save.file, {page->content.get(), size});
    if (result.status == SaveStatus::ok) {
        result = save_finish(&save.file);
    }
    if (result.status != SaveStatus::ok) {
        model->message = error_message(std::move(result.message));
        return;
    }
    model->message = note_message(saved_text(size, save.file.name, arriving || page->incomplete));
}

// The bytes received since the last step go on to the file. False when that failed; the save
// has then ended.
bool pass_on(Model* model) {
    Save& save = model->save;
    Transaction& t = save.transfer->transaction;
    const std::string_view bytes = transaction_received(t);
    if (bytes.empty()) {
        return true;
    }
    if (SaveResult result = save_write(&save.file, bytes); result.status != SaveStatus::ok) {
        save.transfer.reset();
        model->message = error_message(std::move(result.message));
        return false;
    }
    transaction_take(&t);
    return true;
}

void end_download(Model* model) {
    Save& save = model->save;
    const Transaction& t = save.transfer->transaction;
    if (t.state != TransactionState::done) {
        save_cancel(&save.file);
        model->message = error_message(t.failure);
        save.transfer.reset();
        return;
    }
    const std::size_t total = transaction_total(t);
    save.transfer.reset();
    const SaveResult result = save_finish(&save.file);
    if (result.status != SaveStatus::ok) {
        model->message = error_message(result.message);
        return;
    }
    model->message = note_message(saved_text(total, save.file.name, false));
}

void begin_download(Model* model, const Address& address, Clock::time_point now) {
    const Transfer& transfer = begin_transfer(&model->save.transfer, address, model->limits, now);
    if (transaction_finished(transfer.transaction)) {
        end_download(model);
    }
}

// Enter in the prompt: the name is taken, or the prompt stays with it and the error.
void accept_name(Model* model, Clock::time_point now) {
    Prompt prompt = std::move(std::get<Prompt>(model->overlay));
    model->overlay = NoOverlay{};
    Save& save = model->save;
    if (prompt.line.text.empty()) {
        return;
    }
    SaveResult result = save_start(typed_path(prompt.line.text, save.target.proposed), &save.file);
    if (result.status != SaveStatus::ok) {
        model->overlay = PromptError{std::move(result.message), std::move(prompt)};
        return;
    }
    if (save.target.page) {
        save_page(model);
    } else {
        begin_download(model, save.target.address, now);
    }
}

} // namespace

void ask_to_save_item(Model* model, const MenuItem& item) {
    if (model->save.transfer) {
        model->message = error_message(save_running_message);
        return;
    }
    const std::string_view selector = menu_item_selector(item, current_content(*model));
    open_save_prompt(model, {link_address(*model, item, selector), false, 0, {}}, selector);
}

void ask_to_save_page(Model* model) {
    const Page* page = model->history.current;
    if (page == nullptr || !page->content) {
        return;
    }
    if (model->save.transfer) {
        model->message = error_message(save_running_message);
        return;
    }
    open_save_prompt(model, {page->address, true, page->fetch, {}}, page->address.selector);
}

void save_key(Model* model) {
    if (!model->shown.menu) {
        ask_to_save_page(model);
        return;
    }
    const MenuItem* item = marked_item(*model);
    if (item == nullptr || item_kind(item->type) == ItemKind::telnet ||
        (item->type == 'h' && web_url(menu_item_selector(*item, current_content(*model))))) {
        return; // nothing there to fetch
    }
    ask_to_save_item(model, *item);
}

bool key_in_save_prompt(Model* model, DecodedKey key, Clock::time_point now) {
    Prompt* prompt = std::get_if<Prompt>(&model->overlay);
    if (prompt == nullptr || prompt->kind != PromptKind::save) {
        return false;
    }
    switch (edit_prompt(prompt, key, model->window)) {
    case PromptEdit::accepted:
        accept_name(model, now);
        break;
    case PromptEdit::cancelled:
        model->overlay = NoOverlay{};
        break;
    case PromptEdit::typing:
        break;
    }
    return true;
}

bool step_save(Model* model, int fd, short revents, Clock::time_point now) {
    Save& save = model->save;
    if (!save.transfer) {
        return false;
    }
    Transfer& transfer = *save.transfer;
    step_transfer(&transfer, fd, revents, now);
    if (!pass_on(model)) {
        return true;
    }
    if (transaction_finished(transfer.transaction)) {
        end_download(model);
        return true;
    }
    if (!progress_due(&transfer, now)) {
        return false;
    }
    return show_progress(&transfer, "Saving " + save.file.name + "... " +
                                        save_size_text(transaction_total(transfer.transaction)));
}

void add_save_waits(const Save& save, Waits* waits) {
    if (save.transfer) {
        add_transfer_waits(*save.transfer, TransferKind::save, waits);
    }
}

bool cancel_save(Model* model) {
    Save& save = model->save;
    if (!save.transfer) {
        return false;
    }
    save_cancel(&save.file);
    save.transfer.reset();
    model->message = note_message(save_cancelled_message);
    return true;
}
