#include "ChromiumSecret.h"

#include <sys/stat.h>

#include <cstdlib>
#include <mutex>

#include "platform/SecretService.h"

#ifdef TOLVANE_HAVE_LIBSECRET
#include <libsecret/secret.h>
#endif

namespace platform {
namespace {

std::mutex g_secretMutex;
SecretLookup g_handler;

// Without a session bus GLib would try to start one for X11: never do that from here.
bool SessionBusIsThere() {
  if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
      address != nullptr && *address != '\0') {
    return true;
  }
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st {};
  return runtime != nullptr && *runtime == '/' &&
         ::stat((std::string(runtime) + "/bus").c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

std::optional<std::string> AskSecretService(const std::string& application) {
#ifdef TOLVANE_HAVE_LIBSECRET
  if (!SessionBusIsThere()) return std::nullopt;
  // The browsers' own schemas; only the application attribute is matched.
  for (const char* name :
       {"chrome_libsecret_os_crypt_password_v2", "chrome_libsecret_os_crypt_password_v1"}) {
    SecretSchema schema{};
    schema.name = name;
    schema.flags = SECRET_SCHEMA_DONT_MATCH_NAME;
    schema.attributes[0] = {"application", SECRET_SCHEMA_ATTRIBUTE_STRING};
    GError* error = nullptr;
    gchar* password = secret_password_lookup_sync(&schema, nullptr, &error, "application",
                                                  application.c_str(), nullptr);
    if (error != nullptr) {
      g_error_free(error);
      return std::nullopt;  // no service, or it refused: the values stay locked
    }
    if (password != nullptr) {
      std::string text(password);
      secret_password_free(password);
      return text;
    }
  }
#else
  (void)application;
#endif
  return std::nullopt;
}

}  // namespace

void SetSecretLookupHandler(SecretLookup handler) {
  std::lock_guard lock(g_secretMutex);
  g_handler = std::move(handler);
}

}  // namespace platform

namespace platform::detail {

std::optional<std::string> BrowserPassword(const std::string& application) {
  SecretLookup handler;
  {
    std::lock_guard lock(g_secretMutex);
    handler = g_handler;
  }
  return handler ? handler(application) : AskSecretService(application);
}

}  // namespace platform::detail
