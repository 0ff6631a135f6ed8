// The single-byte keys that the menu view and the text view share.
#pragma once

struct Browser;
struct ShownPage;

// Back ('b' or DEL), forward, open an address, quit and reload; any other byte does nothing.
// shown: the record of the page on screen, for the address prompt.
void handle_view_key(Browser* browser, ShownPage* shown, unsigned char key);
