// The command keys that the menu view and the text view share.
#pragma once

#include "ui/key_decoder.hpp"

struct Browser;
struct ShownPage;

// Back ('b', BS or DEL), forward, open an address, quit and reload. True when the key was one
// of them, after which the view returns to the browse loop: the page on screen may have
// changed. Any other key does nothing here. shown: the record of the page on screen, for the
// address prompt.
[[nodiscard]] bool handle_view_key(Browser* browser, ShownPage* shown, DecodedKey key);
