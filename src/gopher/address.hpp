// Gopher addresses as typed by the user, and the URL shown for a page.
#pragma once

#include <cstddef>

struct Page;

// 1 when the address is valid, 0 when not (then the outputs may be partly written).
// host receives at most 255 characters, selector at most 1023.
[[nodiscard]] int parse_gopher_address(const char* address, char* host, int* port, char* selector,
                                       char* type);

// The page's URL, or the empty string when it does not fit in size bytes.
void format_page_url(const Page* page, char* out, std::size_t size);
