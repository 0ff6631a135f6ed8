// The about screen: name, version, a picture and the shortcuts.
#pragma once

#include "nav/browser.hpp"

// Waits for any key; when input has ended or failed the run ends, as after 'q'.
void show_about(Browser* browser);
