// Menus: parsing the content into items, drawing a screen of them, moving the selection.
#include <benchmark/benchmark.h>

#include "bench_support.hpp"
#include "gopher/menu.hpp"
#include "gopher/menu_items.hpp"
#include "nav/menu_movement.hpp"
#include "ui/menu_view.hpp"

namespace {

void build_menu_items(benchmark::State& state) {
    BenchBrowser shown{make_menu(static_cast<int>(state.range(0))), "/menu"};
    for (auto _ : state) {
        ::build_menu_items(&shown.browser, shown.content());
        benchmark::DoNotOptimize(shown.browser.items.get());
    }
    state.counters["items"] = shown.browser.item_count;
}
BENCHMARK(build_menu_items)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// What the first screen of a menu waits for: its first 20 items.
void start_menu_items(benchmark::State& state) {
    BenchBrowser shown{make_menu(static_cast<int>(state.range(0))), "/menu"};
    for (auto _ : state) {
        ::start_menu_items(&shown.browser, &shown.shown.build, shown.content(), 20);
        benchmark::DoNotOptimize(shown.browser.items.get());
    }
    finish_menu_items(&shown.browser, &shown.shown.build);
}
BENCHMARK(start_menu_items)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// A frame at the top of a 100,000-item menu, or at its end (arg 1).
void draw_menu(benchmark::State& state) {
    BenchBrowser shown{make_menu(100000), "/menu"};
    ::build_menu_items(&shown.browser, shown.content());
    if (state.range(0) != 0) {
        shown.browser.selected = shown.browser.selectable_count;
        shown.browser.menu_top = shown.browser.item_count - 20;
    }
    NullStdout null;
    for (auto _ : state) {
        ::draw_menu(&shown.browser);
    }
}
BENCHMARK(draw_menu)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Up on the first item wraps to the last one; Down on the last wraps back to the first: the
// view's path, the browser following the record's place.
void move_menu_wrapping(benchmark::State& state) {
    BenchBrowser shown{make_menu(100000), "/menu"};
    ::build_menu_items(&shown.browser, shown.content());
    place_menu(&shown.browser, &shown.shown);
    for (auto _ : state) {
        move_menu(&shown.browser, &shown.shown, Key::up);
        move_menu(&shown.browser, &shown.shown, Key::down);
    }
}
BENCHMARK(move_menu_wrapping)->Unit(benchmark::kMicrosecond);

// Down, one item at a time, near the end of a 100,000-item menu.
void move_menu_down_near_end(benchmark::State& state) {
    BenchBrowser shown{make_menu(100000), "/menu"};
    ::build_menu_items(&shown.browser, shown.content());
    place_menu(&shown.browser, &shown.shown);
    move_menu(&shown.browser, &shown.shown, Key::up);
    for (auto _ : state) {
        move_menu(&shown.browser, &shown.shown, Key::page_up);
        move_menu(&shown.browser, &shown.shown, Key::down);
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
    BenchBrowser shown{state.range(0) != 0 ? make_prose_menu() : make_menu(100000), "/menu"};
    ::build_menu_items(&shown.browser, shown.content());
    const MenuLayout layout = menu_layout(
        {shown.browser.items.get(), static_cast<std::size_t>(shown.browser.item_count)});
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
