// The search and address prompts on the bottom row.
#pragma once

#include "gopher/menu_item.hpp"

struct Browser;
struct ShownPage;

// Both read the keyboard through the browser's queue until Enter or Esc; shown is the record of
// the page on screen, whose frame a resize redraws under the prompt. When the input ends what
// was typed is dropped, nothing is fetched and running is cleared.
// item: a search item of the menu on screen, whose content and host its texts are read from.
void prompt_search(Browser* browser, ShownPage* shown, const MenuItem* item);
void prompt_open_url(Browser* browser, ShownPage* shown);
