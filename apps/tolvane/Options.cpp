#include "Options.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace tolvane {
namespace {

// The one description of the command line: --help prints it and the man page is made from it.
const char kUsage[] =
    "Usage: tolvane [OPTION]... [LOCATION]\n"
    "\n"
    "View and edit the HTTP cookies kept in a URL cache: every site and its cookies as a tree\n"
    "beside forms in which every field can be edited, committed back to the store entry by\n"
    "entry. The interface is Japanese.\n"
    "\n"
    "LOCATION is the store to open: a path whose kind is found from its content, or KIND:PATH.\n"
    "Without it the store is $TOLVANE_URLCACHE, else $XDG_DATA_HOME/tolvane/urlcache, else\n"
    "~/.local/share/tolvane/urlcache.\n"
    "\n"
    "Options:\n"
    "  -h, --help     this text\n"
    "  --version      the program's name and version\n"
    "\n"
    "Qt's own options (-platform NAME, -style NAME, -reverse, ...) are passed to Qt.\n"
    "\n"
    "Exit status:\n"
    "  0  success\n"
    "  1  the store could not be opened or the screenshot not saved\n"
    "  2  wrong usage\n"
    "\n"
    "Environment:\n"
    "  TOLVANE_URLCACHE    the store to open when no LOCATION is given\n"
    "  TOLVANE_SCREENSHOT  a PNG file: once the window is shown, save a picture of it there\n"
    "                      and end\n";

constexpr int kExitUsage = 2;

int Print(const char* text) {
  std::fputs(text, stdout);
  return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 ? 0 : 1;
}

int Usage(const std::string& problem) {
  std::fprintf(stderr, "tolvane: %s\n%s", problem.c_str(), kUsage);
  return kExitUsage;
}

}  // namespace

std::optional<int> HandleEarlyOptions(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) return Print(kUsage);
    if (std::strcmp(arg, "--version") == 0) return Print("tolvane (Tolvane) " TOLVANE_VERSION "\n");
    // Qt's documented options all start with a single dash.
    if (std::strncmp(arg, "--", 2) == 0) return Usage(std::string("unknown option ") + arg);
  }
  return std::nullopt;
}

std::optional<int> CheckRemainingArguments(int argc, char** argv) {
  int locations = 0;
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] == '-') return Usage(std::string("unknown option ") + argv[i]);
    if (argv[i][0] == '\0') return Usage("empty LOCATION");
    if (++locations > 1) return Usage(std::string("more than one LOCATION: ") + argv[i]);
  }
  return std::nullopt;
}

}  // namespace tolvane
