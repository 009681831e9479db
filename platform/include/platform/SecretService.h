// Where the passwords of Chromium-family browsers come from: the Secret Service (through
// libsecret) when one answers on the session bus. Tests install a handler of their own.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace platform {

/** The password a browser keeps under the application name ("chromium", "chrome", ...);
 *  nullopt when no Secret Service answers or it holds none. */
using SecretLookup = std::function<std::optional<std::string>(const std::string& application)>;
/** Empty restores the default: libsecret, only when a session bus is there. */
void SetSecretLookupHandler(SecretLookup handler);

}  // namespace platform
