// The filter between received bytes and the terminal, on a screen's worth of rows.
#include <benchmark/benchmark.h>

#include <string>

#include "term/untrusted.hpp"

namespace {

std::string repeated(const std::string& piece, std::size_t bytes) {
    std::string text;
    while (text.size() < bytes) {
        text += piece;
    }
    return text;
}

// Arg 0: plain ASCII; 1: UTF-8 text; 2: escape sequences and control bytes among the text.
void append_untrusted(benchmark::State& state) {
    static const char* const pieces[] = {
        "the quick brown fox jumps over the lazy dog ",
        "Gr\xc3\xbc\xc3\x9f\x65 \xe2\x80\x94 \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x90\x9f ",
        "red \x1b[31mtext\x1b[0m, a bell\x07, a title \x1b]0;x\x07 and \x9b done ",
    };
    const std::string text = repeated(pieces[state.range(0)], 78 * 20);
    std::string out;
    for (auto _ : state) {
        out.clear();
        ::append_untrusted(out, text);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(append_untrusted)->Arg(0)->Arg(1)->Arg(2);

} // namespace
