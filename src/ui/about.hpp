// The about screen: name, version, a picture and the shortcuts.
#pragma once

#include "nav/browser.hpp"

void show_about(const Browser* browser);
