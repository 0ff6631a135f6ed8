// The driver loop: fetch the current page when needed, classify it and hand it to a view.
#pragma once

#include "nav/browser.hpp"

void browse_loop(Browser* browser);
