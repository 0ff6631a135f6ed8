// Colours of menu rows.
#include "ui/menu_selection.hpp"

#include "term/sequences.hpp"

const char* type_color(char type, int highlight) {
    if (highlight) {
        return seq::selection;
    }
    switch (type) {
    case '0':
        return seq::bold_yellow;
    case '1':
        return seq::bold_green;
    case '2':
    case 'h':
        return seq::bold_cyan;
    case '3':
        return seq::bold_red;
    case '4':
    case '5':
    case '6':
    case '9':
    case 'g':
        return seq::bold_magenta;
    case '7':
        return seq::bold_blue;
    case '8':
        return seq::bold_white;
    case 'i':
        return seq::grey;
    default:
        return seq::bold_bright_red;
    }
}
