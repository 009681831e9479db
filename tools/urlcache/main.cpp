// urlcache: look into, fill and copy the cookie stores Tolvane edits.
#include <cstdio>
#include <cstring>
#include <string>

#include "Commands.h"
#include "platform/StoreLocation.h"

namespace {

const char kUsage[] =
    "Usage: urlcache [--store LOCATION] COMMAND\n"
    "\n"
    "Commands:\n"
    "  list       every entry of every container: URL, local file, size, hit count, type,\n"
    "             modified, expire, access and last sync time (UTC)\n"
    "  show URL   one entry's record and its cookie file, line by line\n"
    "  check      the store's soundness: for Tolvane's own store index integrity, every\n"
    "             entry has its file, no orphan files, permissions; for a cookies.txt the\n"
    "             lines that are not cookies; for a Chromium profile the values that\n"
    "             cannot be decrypted\n"
    "  check --repair\n"
    "             first remove the regular files of the cookie folder that no entry\n"
    "             references (each one named), then check\n"
    "  demo       fill an empty store of Tolvane's own with demo sites\n"
    "  stores     the cookie stores found on this machine: kind, location, cookies, in use\n"
    "  copy FROM TO [--domain PATTERN]\n"
    "             copy every cookie of the store FROM (or those of hosts matching PATTERN,\n"
    "             e.g. example.com or '*.example.com') into the store TO, replacing cookies\n"
    "             of the same name, host and path; a TO ending in .txt that is not there\n"
    "             yet is made as a new cookies.txt\n"
    "  backups    the backups made before writing to real stores, newest first\n"
    "  restore BACKUP\n"
    "             put a backup back (refused while the store's owner runs)\n"
    "\n"
    "Options:\n"
    "  --store LOCATION  use the store LOCATION names (default: $TOLVANE_URLCACHE, else\n"
    "               $XDG_DATA_HOME/tolvane/urlcache, else ~/.local/share/tolvane/urlcache)\n"
    "  -h, --help   this text\n"
    "  --version    the tool's name and version\n"
    "\n"
    "A LOCATION is a path whose kind is found from what it holds: a Tolvane store folder,\n"
    "a cookies.txt file, a Firefox or Chromium profile, a Wine prefix. KIND:PATH forces\n"
    "a kind: urlcache, netscape, firefox, chromium or wine. An empty folder is a new\n"
    "Tolvane store; urlcache:DIR makes one in DIR when DIR is not there.\n"
    "\n"
    "Exit status: 0 success; 1 the store could not be used, check found problems, demo\n"
    "found a store that is not empty, or a copy or restore failed; 2 wrong usage.\n";

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
      platform::SetStoreLocation(argv[++i]);
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
  if (command == "stores" && rest == 0) return urlcache::Stores();
  if (command == "copy" && rest == 2) return urlcache::Copy(argv[i], argv[i + 1], "");
  if (command == "copy" && rest == 4 && std::strcmp(argv[i + 2], "--domain") == 0) {
    return urlcache::Copy(argv[i], argv[i + 1], argv[i + 3]);
  }
  if (command == "backups" && rest == 0) return urlcache::Backups();
  if (command == "restore" && rest == 1) return urlcache::Restore(argv[i]);
  if (command == "list" || command == "show" || command == "check" || command == "demo" ||
      command == "stores" || command == "copy" || command == "backups" || command == "restore") {
    return Usage(("wrong arguments for " + command).c_str());
  }
  return Usage(("unknown command " + command).c_str());
}
