// The dice a storm is made with: the same seed gives the same site and the same events.
#pragma once

#include <random>

namespace storm_random {

using Random = std::mt19937_64;

inline int pick(Random& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

inline bool chance(Random& random, int percent) {
    return pick(random, 1, 100) <= percent;
}

} // namespace storm_random
