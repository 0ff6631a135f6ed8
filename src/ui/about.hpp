// The about screen: name, version, a picture and the shortcuts.
#pragma once

struct Browser;

// Draws the about screen and waits for the key that closes it, redrawing it when the window
// changes size; when the input ends instead, running is cleared.
void show_about(Browser* browser);
