/* A Windows program for the Wine peer test: sets persistent cookies through InternetSetCookie
 * and prints what InternetGetCookie returns, one line a URL.
 *   wine_cookies set URL NAME=VALUE... [URL NAME=VALUE...]   each with an Expires date a week
 *                                                            on, path /
 *   wine_cookies get URL...   one line a URL: "URL<TAB>cookies" ("-" when there are none)
 * Both may follow each other in one run. */
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <windows.h>
#include <wininet.h>

static int Set(const char* url, const char* pair) {
  char cookie[2048];
  char expires[64];
  const time_t later = time(NULL) + 7 * 86400;
  strftime(expires, sizeof expires, "%a, %d %b %Y %H:%M:%S GMT", gmtime(&later));
  snprintf(cookie, sizeof cookie, "%s; expires=%s; path=/", pair, expires);
  if (!InternetSetCookieA(url, NULL, cookie)) {
    fprintf(stderr, "InternetSetCookie %s failed: %lu\n", url, (unsigned long)GetLastError());
    return 1;
  }
  return 0;
}

static int Get(const char* url) {
  char cookies[8192];
  DWORD size = sizeof cookies;
  if (!InternetGetCookieA(url, NULL, cookies, &size)) {
    const DWORD error = GetLastError();
    if (error != ERROR_NO_MORE_ITEMS) {
      fprintf(stderr, "InternetGetCookie %s failed: %lu\n", url, (unsigned long)error);
      return 1;
    }
    strcpy(cookies, "-");
  }
  printf("%s\t%s\n", url, cookies);
  return 0;
}

int main(int argc, char** argv) {
  /* "set" and "get" switch what the words after them do; in "set" a URL names the site of the
   * pairs that follow it. */
  int failed = 0, setting = -1;
  const char* url = NULL;
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "set") == 0 || strcmp(argv[i], "get") == 0) {
      setting = argv[i][0] == 's';
    } else if (setting == 1 && strncmp(argv[i], "http", 4) == 0) {
      url = argv[i];
    } else if (setting == 1 && url != NULL) {
      failed |= Set(url, argv[i]);
    } else if (setting == 0) {
      failed |= Get(argv[i]);
    } else {
      fprintf(stderr, "usage: wine_cookies set URL NAME=VALUE... [URL NAME=VALUE...] get URL...\n");
      return 2;
    }
  }
  fflush(stdout);
  return failed;
}
