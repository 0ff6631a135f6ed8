// The about screen: name, version, a picture and the shortcuts.
#pragma once

struct Browser;

void show_about(const Browser* browser);
