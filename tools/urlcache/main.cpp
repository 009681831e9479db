// urlcache: look into and fill the URL cache store that Tolvane edits.
#include <cstdio>
#include <cstring>
#include <string>

#include "Commands.h"
#include "platform/UrlCacheStore.h"

namespace {

const char kUsage[] =
    "Usage: urlcache [--store DIR] COMMAND\n"
    "\n"
    "Commands:\n"
    "  list       every entry of every container: URL, local file, size, hit count, type,\n"
    "             modified, expire, access and last sync time (UTC)\n"
    "  show URL   one entry's record and its cookie file, line by line\n"
    "  check      index integrity, every entry has its file, no orphan files, permissions\n"
    "  check --repair\n"
    "             first remove the regular files of the cookie folder that no entry\n"
    "             references (each one named), then check\n"
    "  demo       fill an empty store with demo sites\n"
    "\n"
    "Options:\n"
    "  --store DIR  use the store in DIR (default: $TOLVANE_URLCACHE, else\n"
    "               $XDG_DATA_HOME/tolvane/urlcache, else ~/.local/share/tolvane/urlcache)\n"
    "  -h, --help   this text\n"
    "  --version    the tool's name and version\n"
    "\n"
    "Exit status: 0 success; 1 the store could not be used, check found problems or demo\n"
    "found a store that is not empty; 2 wrong usage.\n";

int Usage(const char* problem) {
  std::fprintf(stderr, "urlcache: %s\n%s", problem, kUsage);
  return urlcache::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return urlcache::kExitOk;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::fputs("urlcache (Tolvane) " TOLVANE_VERSION "\n", stdout);
      return urlcache::kExitOk;
    }
    if (std::strcmp(argv[i], "--store") == 0 && i + 1 < argc && argv[i + 1][0] != '\0') {
      platform::SetUrlCacheRoot(argv[++i]);
      continue;
    }
    return Usage((std::string("unknown option ") + argv[i]).c_str());
  }
  if (i >= argc) return Usage("no command");
  const std::string command = argv[i++];
  const int rest = argc - i;
  if (command == "list" && rest == 0) return urlcache::List();
  if (command == "show" && rest == 1) return urlcache::Show(argv[i]);
  if (command == "check" && rest == 0) return urlcache::Check(false);
  if (command == "check" && rest == 1 && std::strcmp(argv[i], "--repair") == 0) {
    return urlcache::Check(true);
  }
  if (command == "demo" && rest == 0) return urlcache::Demo();
  if (command == "list" || command == "show" || command == "check" || command == "demo") {
    return Usage(("wrong arguments for " + command).c_str());
  }
  return Usage(("unknown command " + command).c_str());
}
