// A fact of Wine's URL cache that tools and tests need without reading its index.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

/**
 * The hash key Wine's URL cache files an entry's URL under in index.dat. Its low 6 bits choose
 * one of 64 buckets of 7 slots in each hash table; an eighth URL of a bucket starts a new table.
 */
uint32_t WineUrlCacheKey(std::string_view url);

}  // namespace platform
