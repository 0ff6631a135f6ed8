// Prints sizeof(MenuItem): the memory budget of a menu is item count times this.
#include <cstdio>

#include "gopher/menu_item.hpp"

int main() {
    std::printf("%zu\n", sizeof(MenuItem));
    return 0;
}
