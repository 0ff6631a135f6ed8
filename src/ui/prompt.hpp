// The search and address prompts on the bottom row.
#pragma once

#include "gopher/menu_item.hpp"
#include "nav/browser.hpp"

void prompt_search(Browser* browser, const MenuItem* item);
void prompt_open_url(Browser* browser);
