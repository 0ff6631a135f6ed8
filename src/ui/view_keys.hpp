// The single-byte keys that the menu view and the text view share.
#pragma once

struct Browser;

// Back ('b' or DEL), forward, open an address, quit and reload; any other byte does nothing.
void handle_view_key(Browser* browser, unsigned char key);
