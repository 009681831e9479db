/* A Windows program for the Wine peer test: sets persistent cookies through InternetSetCookie
 * and prints what InternetGetCookie returns, one line a URL.
 *   wine_cookies set URL NAME=VALUE...   each with an Expires date a week on, path /
 *   wine_cookies get URL...              "URL<TAB>cookies" ("-" when there are none) */
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
  int failed = 0;
  if (argc >= 4 && strcmp(argv[1], "set") == 0) {
    for (int i = 3; i < argc; ++i) failed |= Set(argv[2], argv[i]);
  } else if (argc >= 3 && strcmp(argv[1], "get") == 0) {
    for (int i = 2; i < argc; ++i) failed |= Get(argv[i]);
  } else {
    fprintf(stderr, "usage: wine_cookies set URL NAME=VALUE... | get URL...\n");
    return 2;
  }
  fflush(stdout);
  return failed;
}
