// The link the user has marked in the menu on screen, and the address of a menu link.
#pragma once

#include <string_view>

#include "gopher/address.hpp"

struct Model;
struct MenuItem;

// The item of the menu on screen as an address, with the selector given (the item's own, or
// a search's with its query).
[[nodiscard]] Address link_address(const Model& model, const MenuItem& item,
                                   std::string_view selector);

// The marked item of the menu on screen, or null when there is no menu or its marker is not on
// screen: a key acts only on a link the user can see marked.
[[nodiscard]] const MenuItem* marked_item(const Model& model);
