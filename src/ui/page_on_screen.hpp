// The page on screen in the model: showing it, keeping its place within its content and the
// window, and the work left for after its first frame.
#pragma once

#include <sys/ioctl.h>

struct Model;
struct Page;

// Content rows of the window, and the current page's content (null before it has one).
[[nodiscard]] int rows_of(const Model& model);
[[nodiscard]] const char* current_content(const Model& model);

// The current page comes on screen (a fetch arrived, back, forward): its record is made anew
// when its content is another, the place it keeps bounded to it. A long menu shows its first
// screen before the rest is parsed, a text its first screen before its lines are counted
// (has_pending_work, then do_pending_work).
void show_current_page(Model* model);
// The page on screen is still arriving: its content has grown (and may have moved). The items
// or lines that arrived become reachable.
void page_grew(Model* model);
// Its transfer has ended, whole or cut: the last line, which may have no LF, is taken too.
void page_loaded(Model* model);

// Before the history moves or a new content replaces the page: it keeps where the user was.
void leave_current_page(Model* model);

// The text's line count and length, found once per content: after its first frame, or before a
// key that needs them.
void measure_text_page(Model* model);

// The text's first row kept within the text (a kept line found first), and no row left empty
// while rows remain above.
void bound_text(Model* model);

// `w`: long lines wrapped or cut from now on; the line at the top stays there where the text
// allows.
void switch_wrap(Model* model);

// A window resized: a marked link stays on screen, and no content row is left empty while rows
// remain below.
void fit_to_window(Model* model, const winsize& window);

[[nodiscard]] bool has_pending_work(const Model& model);
// The rest of a long menu parsed and placed, or a text's lines counted. True when the frame
// changed.
[[nodiscard]] bool do_pending_work(Model* model);
