#include "model/TextExport.h"

#include <stdio.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "model/SiteCacheList.h"
#include "platform/WholeFile.h"

namespace {

const char kSeparator[] = "=============================\n";

}  // namespace

std::string BuildTextExport(SiteCacheList& catalogue) {
  char* buffer = nullptr;
  size_t size = 0;
  FILE* memory = open_memstream(&buffer, &size);
  if (memory == nullptr) return {};
  std::fputs(kSeparator, memory);
  std::fputs(" Tolvane Version 1.00\n", memory);
  std::fputs(" Cookie Text Export\n", memory);
  catalogue.WriteText(memory);
  std::fputs(kSeparator, memory);
  const bool built = std::fclose(memory) == 0;
  std::string text;
  if (built) {
    text.reserve(size + size / 16);
    for (size_t i = 0; i < size; ++i) {
      if (buffer[i] == '\n') text.push_back('\r');
      text.push_back(buffer[i]);
    }
  }
  std::free(buffer);
  return text;
}

bool WriteTextExport(SiteCacheList& catalogue, const std::string& path) {
  // The export always holds at least its banner, so an empty text means it could not be made.
  const std::string text = BuildTextExport(catalogue);
  if (text.empty()) {
    errno = ENOMEM;
    return false;
  }
  return platform::WriteWholeFile(path, text);
}
