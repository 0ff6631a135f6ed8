// The header bar on row 1: the page's URL over a 78-cell band.
#pragma once

#include "nav/browser.hpp"

void draw_header(const Browser* browser);
