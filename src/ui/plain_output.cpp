// Plain output: the start address's download with standard output in place of a file.
#include "ui/plain_output.hpp"

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>

#include "base/write_whole.hpp"
#include "nav/model.hpp"
#include "ui/transfer_work.hpp"

using Clock = std::chrono::steady_clock;

namespace {

// The download over, the run ends with it: status 1 with the message (and any system lines
// before it) when it failed.
void end_output(Model* model, std::string failure) {
    Transaction& t = model->plain_output->transaction;
    if (failure.empty() && t.state == TransactionState::done) {
        model->end = RunEnd{};
        return;
    }
    model->end = failed_run(failure.empty() ? t.failure : std::move(failure), std::move(t.notes));
}

} // namespace

void start_plain_output(Model* model, const Address& address, Clock::time_point now) {
    Transfer& transfer = begin_transfer(&model->plain_output, address, model->limits, now);
    // Nothing is drawn: no progress row.
    transfer.next_progress = Clock::time_point::max();
    if (transaction_finished(transfer.transaction)) {
        end_output(model, {});
    }
}

void step_plain_output(Model* model, int fd, short revents, Clock::time_point now) {
    // Its end is the run's: nothing steps it after that.
    if (!model->plain_output || model->end) {
        return;
    }
    Transaction& t = model->plain_output->transaction;
    step_transfer(&*model->plain_output, fd, revents, now);
    if (const std::string_view bytes = transaction_received(t); !bytes.empty()) {
        if (const int error = write_whole(STDOUT_FILENO, bytes); error != 0) {
            end_output(model, std::string("Error: ") + std::strerror(error));
            return;
        }
        transaction_take(&t);
    }
    if (transaction_finished(t)) {
        end_output(model, {});
    }
}

void add_plain_output_waits(const Model& model, Waits* waits) {
    if (model.plain_output && !model.end) {
        add_transfer_waits(*model.plain_output, TransferKind::output, waits);
    }
}
