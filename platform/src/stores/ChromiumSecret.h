// The passwords of "v11" values, asked of the Secret Service once per application name.
#pragma once

#include <optional>
#include <string>

namespace platform::detail {

/** The browser's password, from the handler a test set or the Secret Service; nullopt when
 *  none answers. Never blocks on a missing session bus. */
std::optional<std::string> BrowserPassword(const std::string& application);

}  // namespace platform::detail
