// URLs for items: gopher URLs to copy and paste back, web links, telnet sessions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// "gopher://HOST:PORT/TSELECTOR" ("gophers://" for tls), the type always written. In the selector
// "%", blanks, control bytes, bytes from 0x80, "?" and "#" are percent-encoded (uppercase hex), so
// the URL survives other URL parsers and opens the same item when typed back into this program. A
// selector holding NUL, CR or LF cannot come back: the address parser refuses those. A host
// holding ":" (IPv6) is put in brackets, as URLs write it, though the address parser does not
// read such a host back. A host's blanks, controls, "/", "%", "?", "#" and
// bytes from 0x80, and a type that is not printable ASCII, are encoded so the URL stays one
// safe word; such an item cannot be opened from its URL.
[[nodiscard]] std::string gopher_url(std::string_view host, int port, char type,
                                     std::string_view selector, bool tls = false);

// The web address of a selector "URL:ADDRESS" or "/URL:ADDRESS", which is how menus link to
// the web; nothing for any other selector, or when nothing follows "URL:". The view is into
// selector.
[[nodiscard]] std::optional<std::string_view> web_url(std::string_view selector);

// "telnet://HOST:PORT" for type 8, "tn3270://HOST:PORT" for type T (and any other type).
[[nodiscard]] std::string telnet_url(char type, std::string_view host, int port);
