// One parsed line of a Gopher menu.
#pragma once

struct MenuItem {
    char type;
    char display[1024];
    char selector[1024];
    char host[256];
    int port;
    int selectable;
    int ordinal; // 1-based among the selectable items, 0 for the others
};
