// Texts: the line count, and drawing a frame at the start and the end of a large text.
#include <benchmark/benchmark.h>

#include "bench_support.hpp"
#include "nav/line_count.hpp"
#include "nav/shown_page.hpp"
#include "nav/text_position.hpp"
#include "support/line_counts.hpp"
#include "term/frame_writer.hpp"
#include "ui/text_view.hpp"

namespace {

void count_lines(benchmark::State& state) {
    const std::string text = make_text(static_cast<std::size_t>(state.range(0)) << 20);
    for (auto _ : state) {
        benchmark::DoNotOptimize(::count_lines(text.c_str()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(count_lines)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

// A frame of a 100 MB text at its top, or at its last page (arg 1).
void draw_text(benchmark::State& state) {
    BenchModel shown{make_text(100 << 20), "/0text"};
    shown.page().address.type = '0';
    ShownPage& record = shown.model.shown;
    prepare_shown_page(&record, &shown.page(), 20);
    const TextMeasure measure = measure_text(shown.content());
    record.text_lines = measure.lines;
    record.text_size = measure.size;
    if (state.range(0) != 0) {
        const long top = record.text_lines - 20;
        record.top = {static_cast<std::size_t>(skip_lines(shown.content(), top) - shown.content()),
                      top, 0, true};
    }
    // Drawn into a frame and written whole, as a repaint is.
    FrameWriter writer;
    std::string out;
    for (auto _ : state) {
        Frame frame = make_frame(shown.model.window.ws_row, shown.model.window.ws_col);
        ::draw_text(shown.model, &frame);
        out.clear();
        write_frame(&writer, std::move(frame), true, &out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(draw_text)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Where the last page of a 100 MB text starts: skipped to from the top (arg 0), as draw_text
// does, or from the page above it (arg 1), as the text view does after a movement key.
void find_last_page(benchmark::State& state) {
    const std::string text = make_text(100 << 20);
    const long last = ::count_lines(text.c_str()) - 20;
    TextPosition position;
    (void)seek_line(&position, text.c_str(), last - 1);
    long top = last;
    for (auto _ : state) {
        const char* start = state.range(0) == 0 ? skip_lines(text.c_str(), top)
                                                : seek_line(&position, text.c_str(), top);
        benchmark::DoNotOptimize(start);
        top = top == last ? last - 1 : last;
    }
}
BENCHMARK(find_last_page)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
