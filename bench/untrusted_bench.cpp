// The filter between received bytes and the terminal, on a screen's worth of rows.
#include <benchmark/benchmark.h>

#include <string>

#include "term/untrusted.hpp"
#include "term/width.hpp"

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

// A screen of 20 rows, as a text view draws them. Arg 0: ASCII lines that fit; 1: 4 KB ASCII
// lines; 2: 4 KB UTF-8 lines. The filter on at most 78 bytes (the old cut) against the cut to
// 78 columns, which also keeps the row's first 78 columns of UTF-8.
std::string screen_lines(std::int64_t kind) {
    static const char* const pieces[] = {
        "the quick brown fox jumps over the lazy dog ",
        "the quick brown fox jumps over the lazy dog ",
        "Gr\xc3\xbc\xc3\x9f\x65 \xe2\x80\x94 \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x90\x9f ",
    };
    const std::size_t length = kind == 0 ? 70 : 4096;
    std::string lines;
    for (int row = 0; row < 20; ++row) {
        lines += repeated(pieces[kind], length).substr(0, length) + "\n";
    }
    return lines;
}

template <bool cut> void draw_rows(benchmark::State& state) {
    const std::string lines = screen_lines(state.range(0));
    std::string out;
    for (auto _ : state) {
        out.clear();
        for (std::size_t at = 0; at < lines.size();) {
            const std::size_t end = lines.find('\n', at);
            const std::string_view line(lines.data() + at, end - at);
            if (cut) {
                append_cut(out, line, 78, TabShow::to_tab_stop);
            } else {
                ::append_untrusted(out, line.substr(0, 78));
            }
            at = end + 1;
        }
        benchmark::DoNotOptimize(out.data());
    }
}
void filter_78_bytes(benchmark::State& state) {
    draw_rows<false>(state);
}
void cut_78_columns(benchmark::State& state) {
    draw_rows<true>(state);
}
BENCHMARK(filter_78_bytes)->Arg(0)->Arg(1)->Arg(2);
BENCHMARK(cut_78_columns)->Arg(0)->Arg(1)->Arg(2);

} // namespace
