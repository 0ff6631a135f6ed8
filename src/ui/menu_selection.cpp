// Colours of menu rows.
#include "ui/menu_selection.hpp"

#include "ui/looks.hpp"

Attr type_color(char type, int highlight) {
    if (highlight) {
        return look::selection;
    }
    switch (type) {
    case '0':
        return look::bold_yellow;
    case '1':
        return look::bold_green;
    case '2':
    case 'h':
        return look::bold_cyan;
    case '3':
        return look::bold_red;
    case '4':
    case '5':
    case '6':
    case '9':
    case 'g':
        return look::bold_magenta;
    case '7':
        return look::bold_blue;
    case '8':
        return look::bold_white;
    case 'i':
        return look::grey;
    default:
        return look::bold_bright_red;
    }
}
