// Where links go: the items that are no Gopher document (telnet sessions, web links), and the
// URL the `u` key shows.
#pragma once

struct Model;
struct MenuItem;

// Enter on an item that is no page to show: one that holds no text opens the save prompt; a
// telnet session shows its URL; a web link ("URL:...") shows its URL, or opens it when it is a
// gopher:// URL. Nothing else is fetched. False for every other item.
[[nodiscard]] bool open_item_elsewhere(Model* model, const MenuItem& item);

// The URL of the menu's marked item (the page's when none is marked on screen), or of the
// page in the text view, on the bottom row until the next key.
void show_url(Model* model);
