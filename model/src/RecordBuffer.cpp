#include "model/RecordBuffer.h"

#include <algorithm>

namespace {
int g_skip = 0;
int g_failures = 0;
}  // namespace

bool RecordBuffer::MayAllocate() {
  if (g_failures <= 0) return true;
  if (g_skip > 0) {
    --g_skip;
    return true;
  }
  --g_failures;
  return false;
}

void RecordBuffer::FailAllocations(int skip, int times) {
  g_skip = skip;
  g_failures = times;
}

bool RecordBuffer::Allocate(DWORD size) {
  std::free(m_data);
  m_data = nullptr;
  m_size = 0;
  if (!MayAllocate()) return false;
  // The record is read through its struct even when the cache asked for less.
  m_data = std::calloc(std::max<size_t>(size, sizeof(INTERNET_CACHE_ENTRY_INFOA)), 1);
  if (!m_data) return false;
  m_size = size;
  return true;
}
