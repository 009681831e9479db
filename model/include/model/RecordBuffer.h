// Heap storage for one cache record of the size the cache asked for, and the one place where
// the model allocates what it must survive not getting (tests can make it fail).
#pragma once

#include <wininet.h>

#include <cstdlib>

class RecordBuffer {
 public:
  RecordBuffer() = default;
  ~RecordBuffer() { std::free(m_data); }
  RecordBuffer(const RecordBuffer&) = delete;
  RecordBuffer& operator=(const RecordBuffer&) = delete;

  /** Replaces the storage by size bytes (contents not kept); false when out of memory. */
  bool Allocate(DWORD size);
  INTERNET_CACHE_ENTRY_INFOA* get() const {
    return static_cast<INTERNET_CACHE_ENTRY_INFOA*>(m_data);
  }
  DWORD size() const { return m_size; }

  /** False when an allocation should be treated as failed (set up by tests). */
  static bool MayAllocate();
  /** Tests: let skip allocations pass, then fail the next times ones. */
  static void FailAllocations(int skip, int times);

 private:
  void* m_data = nullptr;
  DWORD m_size = 0;
};
