// The history page (`H`): the pages of the run, newest first, shown over the page on screen
// without joining the history; Enter opens an entry as a new visit, `b` or Esc closes it.
#pragma once

struct Model;
struct Page;

void open_history_page(Model* model);
// The page below comes back as it was left. Nothing when the history page is not on screen.
void close_history_page(Model* model);
// Enter on the history page: the marked entry is asked for as a new visit from the page below.
void open_history_entry(Model* model);
// The page the history page lists as its ordinal-th link (from 1), or null.
[[nodiscard]] const Page* history_entry(const Model& model, int ordinal);
