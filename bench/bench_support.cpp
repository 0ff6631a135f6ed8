// Contents shaped like the end-to-end workloads, and a model showing one of them.
#include "bench_support.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

#include "nav/history.hpp"

std::string make_text(std::size_t bytes) {
    std::string text;
    text.reserve(bytes + 80);
    char line[96];
    for (long n = 1; text.size() < bytes; ++n) {
        const int length = std::snprintf(
            line, sizeof line,
            "line %07ld: the quick brown fox jumps over the lazy dog, keeping time.\n", n);
        text.append(line, static_cast<std::size_t>(length));
    }
    return text;
}

std::string make_menu(int lines) {
    std::string menu;
    char line[160];
    for (int n = 1; n <= lines; ++n) {
        const int length =
            std::snprintf(line, sizeof line,
                          "%citem %06d of the benchmark menu\t/texts/1mb.bin\t127.0.0.1\t70\r\n",
                          n % 3 == 0 ? '1' : '0', n);
        menu.append(line, static_cast<std::size_t>(length));
    }
    menu += ".\r\n";
    return menu;
}

BenchModel::BenchModel(const std::string& content, const char* selector) {
    model.window.ws_row = 24;
    model.window.ws_col = 80;
    push_page(&model.history, {.host = "127.0.0.1", .port = 70, .type = '1', .selector = selector});
    Content copy{static_cast<char*>(std::malloc(content.size() + 1))};
    if (!copy) {
        std::abort();
    }
    std::memcpy(copy.get(), content.c_str(), content.size() + 1);
    accept_fetched(&model.history, std::move(copy));
}

namespace {

// As large as the program's, so that a frame goes out in one write here too. Set before main,
// while stdout is still unused.
char stdout_buffer[1 << 18];
[[maybe_unused]] const bool stdout_buffered =
    std::setvbuf(stdout, stdout_buffer, _IOFBF, sizeof stdout_buffer) == 0;

} // namespace

NullStdout::NullStdout() {
    std::fflush(stdout);
    saved_ = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    dup2(null, STDOUT_FILENO);
    close(null);
}

NullStdout::~NullStdout() {
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
}
