// Making backups (see platform/Backups.h), for the back ends before they write.
#pragma once

#include <string>
#include <vector>

#include "platform/StoreLocation.h"

namespace platform::detail {

/**
 * Copies the store's files into a new backup, the first time this process asks for the
 * location; later calls return true at once. A file that is not there is noted as absent (a
 * restore then removes it). False with a readable reason when the copy could not be made: the
 * caller must not write then.
 */
bool BackUpOnce(const StoreLocation& location, const std::vector<std::string>& files,
                std::string& problem);

}  // namespace platform::detail
