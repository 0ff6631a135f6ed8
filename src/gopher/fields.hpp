// The longest texts the records hold; longer input is cut to these, never rejected.
#pragma once

#include <cstddef>

inline constexpr std::size_t host_max = 255;
inline constexpr std::size_t selector_max = 1023;
inline constexpr std::size_t display_max = 1023;
// A typed address, and so also a search query's share of a selector.
inline constexpr std::size_t address_max = 1289;
