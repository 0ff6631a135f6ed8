// Finding text in a 100 MB page, and the last screen of it with long lines wrapped.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_support.hpp"
#include "nav/find.hpp"
#include "nav/line_count.hpp"
#include "nav/text_rows.hpp"
#include "support/line_counts.hpp"

namespace {

// The numbered text of the other benchmarks; with arg 1, every tenth line also holds escape
// sequences and every tenth but one is Windows-1252, so that those lines are filtered.
std::string search_text(std::int64_t kind) {
    std::string text = make_text(100 << 20);
    if (kind == 1) {
        std::size_t line = 0;
        for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1, ++line) {
            if (line % 10 == 0) {
                text.replace(at + 14, 5, "\x1b[1mq"); // "the q" -> "q" in bold, same length
            } else if (line % 10 == 1) {
                text[at + 14] = '\xe9';
            }
        }
    }
    return text;
}

// A search for a needle that is nowhere, so the whole text is looked at, in steps of 1 MB as
// the event loop would run them. Args: the text (above), and the needle: 0 starts with a rare
// letter, 1 with a letter found in every word, 2 with a digit, 3 holds letters beyond ASCII.
void find_in_text(benchmark::State& state) {
    const std::string text = search_text(state.range(0));
    const char* const needles[] = {"zebra crossing", "every gopher",
                                   "0000000:", "cr\xc3\xa8me br\xc3\xbbl\xc3\xa9e"};
    const char* needle = needles[state.range(1)];
    const long lines = lines_in(text);
    for (auto _ : state) {
        const FindText in{text, lines, needle};
        FindState find = find_start(in, 0, 0, FindDirection::forward, true);
        FindResult result;
        do {
            result = find_step(find, in, std::size_t{1} << 20);
        } while (result.status == FindStatus::searching);
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(find_in_text)
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({0, 2})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({0, 3})
    ->Args({1, 3})
    ->Unit(benchmark::kMillisecond);

// End on a 100 MB text: the last screen of 22 rows at 40 columns, lines wrapped.
void last_screen_wrapped(benchmark::State& state) {
    const std::string text = make_text(100 << 20);
    const TextRows rows{text, 40, true};
    const long lines = lines_in(text);
    for (auto _ : state) {
        benchmark::DoNotOptimize(last_screen(rows, 22, lines));
    }
}
BENCHMARK(last_screen_wrapped)->Unit(benchmark::kMicrosecond);

} // namespace
