// The link the user has marked in the menu on screen, and the address of a menu link.
#include "ui/marked_link.hpp"

#include "gopher/menu.hpp"
#include "nav/menu_movement.hpp"
#include "nav/model.hpp"
#include "ui/page_on_screen.hpp"

Address link_address(const Model& model, const MenuItem& item, std::string_view selector) {
    const Page& page = *model.history.current;
    Address address;
    address.host = menu_item_host(item, page.content.get(), page.address.host.c_str());
    address.port = item.port;
    address.type = item.type;
    address.selector = selector;
    // A menu over TLS keeps its own server's links in TLS; other servers are as the line says.
    address.tls = page.address.tls && same_server(page.address, address.host, address.port);
    return address;
}

const MenuItem* marked_item(const Model& model) {
    const ShownPage& shown = model.shown;
    if (current_content(model) == nullptr || !shown.menu || !shown.placed ||
        !marker_on_screen(shown.place, rows_of(model))) {
        return nullptr;
    }
    return &shown.layout.rows[static_cast<std::size_t>(shown.place.selected)];
}
