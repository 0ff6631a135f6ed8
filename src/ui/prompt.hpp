// The search and address prompts on the bottom row.
#pragma once

#include "gopher/menu_item.hpp"

struct Browser;

// item: a search item of the menu on screen, whose content and host its texts are read from.
void prompt_search(Browser* browser, const MenuItem* item);
void prompt_open_url(Browser* browser);
