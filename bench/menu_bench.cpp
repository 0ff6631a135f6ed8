// Menus: parsing the content into items, drawing a screen of them, moving the selection.
#include <benchmark/benchmark.h>

#include <chrono>
#include <climits>
#include <tuple>

#include "bench_support.hpp"
#include "gopher/menu.hpp"
#include "gopher/menu_items.hpp"
#include "nav/menu_movement.hpp"
#include "support/menu_build.hpp"
#include "term/frame_writer.hpp"
#include "ui/menu_view.hpp"
#include "ui/update.hpp"

namespace {

// The items of the model's page, whole and placed, as the update step leaves them once the
// work after the first frame is done.
void show_whole_menu(BenchModel* shown) {
    prepare_shown_page(&shown->model.shown, &shown->page(), 20);
    std::ignore =
        update(&shown->model, {.kind = EventKind::idle}, std::chrono::steady_clock::now());
}

// A movement key through the update step: the path a key takes in the program.
void press(BenchModel* shown, Key key) {
    std::ignore = update(&shown->model, {.kind = EventKind::key, .key = {.length = 1, .key = key}},
                         std::chrono::steady_clock::now());
}

void build_menu_items(benchmark::State& state) {
    BenchModel shown{make_menu(static_cast<int>(state.range(0))), "/menu"};
    MenuItems items;
    for (auto _ : state) {
        ::build_menu_items(&items, shown.content(), "127.0.0.1", 70);
        benchmark::DoNotOptimize(items.items.data());
    }
    state.counters["items"] = item_count(items);
}
BENCHMARK(build_menu_items)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// What the first screen of a menu waits for: its first 20 items.
void start_menu_items(benchmark::State& state) {
    BenchModel shown{make_menu(static_cast<int>(state.range(0))), "/menu"};
    ShownPage& record = shown.model.shown;
    for (auto _ : state) {
        ::start_menu_items(&record.items, &record.build, shown.content(), "127.0.0.1", 70, 20);
        benchmark::DoNotOptimize(record.items.items.data());
    }
    finish_menu_items(&record.items, &record.build);
}
BENCHMARK(start_menu_items)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// A frame at the top of a 100,000-item menu, or at its end (arg 1).
void draw_menu(benchmark::State& state) {
    BenchModel shown{make_menu(100000), "/menu"};
    if (state.range(0) != 0) {
        MenuItems whole;
        ::build_menu_items(&whole, shown.content(), "127.0.0.1", 70);
        shown.page().selected = whole.selectable_count;
        shown.page().menu_top = item_count(whole) - 20;
    }
    show_whole_menu(&shown);
    // Drawn into a frame and written whole, as a repaint is.
    FrameWriter writer;
    std::string out;
    for (auto _ : state) {
        Frame frame = make_frame(shown.model.window.ws_row, shown.model.window.ws_col);
        ::draw_menu(shown.model, &frame);
        out.clear();
        write_frame(&writer, std::move(frame), true, &out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(draw_menu)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Up on the first item wraps to the last one; Down on the last wraps back to the first: the
// path a key takes, the record's place moved by the update step.
void move_menu_wrapping(benchmark::State& state) {
    BenchModel shown{make_menu(100000), "/menu"};
    show_whole_menu(&shown);
    for (auto _ : state) {
        press(&shown, Key::up);
        press(&shown, Key::down);
    }
}
BENCHMARK(move_menu_wrapping)->Unit(benchmark::kMicrosecond);

// Down, one item at a time, near the end of a 100,000-item menu.
void move_menu_down_near_end(benchmark::State& state) {
    BenchModel shown{make_menu(100000), "/menu"};
    show_whole_menu(&shown);
    press(&shown, Key::up);
    for (auto _ : state) {
        press(&shown, Key::page_up);
        press(&shown, Key::down);
    }
}
BENCHMARK(move_menu_down_near_end)->Unit(benchmark::kMicrosecond);

// Mostly prose: a link every 200th row of 100,000.
std::string make_prose_menu() {
    std::string menu;
    for (int n = 1; n <= 100000; ++n) {
        menu += n % 200 == 0 ? "1a link\t/x\t127.0.0.1\t70\r\n" : "ia line of prose\t\t\t0\r\n";
    }
    return menu + ".\r\n";
}

// One key at a time through a 100,000-row menu of links (arg 0) or of prose (arg 1), wrapping
// at its end: what a key costs wherever it is pressed.
void move_in_menu_through(benchmark::State& state, Key key) {
    BenchModel shown{state.range(0) != 0 ? make_prose_menu() : make_menu(100000), "/menu"};
    MenuItems items;
    ::build_menu_items(&items, shown.content(), "127.0.0.1", 70);
    const MenuLayout layout = menu_layout({items.items.data(), items.items.size()});
    MenuPlace place{0, layout.first_link};
    for (auto _ : state) {
        place = move_in_menu(layout, place, 20, key);
        benchmark::DoNotOptimize(place);
    }
}
void move_in_menu_down(benchmark::State& state) {
    move_in_menu_through(state, Key::down);
}
BENCHMARK(move_in_menu_down)->Arg(0)->Arg(1)->Unit(benchmark::kNanosecond);
void move_in_menu_page_down(benchmark::State& state) {
    move_in_menu_through(state, Key::page_down);
}
BENCHMARK(move_in_menu_page_down)->Arg(0)->Arg(1)->Unit(benchmark::kNanosecond);
void move_in_menu_up(benchmark::State& state) {
    move_in_menu_through(state, Key::up);
}
BENCHMARK(move_in_menu_up)->Arg(0)->Arg(1)->Unit(benchmark::kNanosecond);

} // namespace
