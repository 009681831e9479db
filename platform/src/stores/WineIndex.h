// The index of a Wine prefix's cookie folder (index.dat, "WINE URLCache Ver 0.2012001"), as an
// image in memory: read, and changed the way Wine's own URL cache changes it. Wine maps the file
// and checks its header when it first maps it; an index that fails the check is thrown away
// whole, with every cookie. So an image is written only when its layout is the one tested
// (WriteProblem), and a change keeps every invariant Wine checks: file size, block count,
// allocation bits, hash chains.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::detail {

/** One "URL " record the hash tables point to. */
struct WineEntry {
  uint32_t offset = 0;  // of the record in the image
  uint32_t slot = 0;    // of its hash slot in the image
  std::string url;
  std::string localName;  // its file, inside the cookie folder; empty when it has none
  DWORD type = 0;
  uint64_t size = 0;
  FILETIME modified{};
  FILETIME access{};
  FILETIME expire{};       // a DOS date in the file: 2 s steps
  FILETIME sync{};         // likewise
  uint16_t writeDate = 0;  // the file's write time when it was committed (DOS)
  uint16_t writeTime = 0;
  DWORD hitRate = 0;
  DWORD useCount = 0;
  DWORD exemptDelta = 0;
};

/** What a commit sets in an entry; the other fields are set as Wine sets them. */
struct WineEntryWrite {
  std::string url;
  std::string localName;
  DWORD type = 0;
  uint64_t size = 0;
  FILETIME modified{};
  FILETIME expire{};
  FILETIME fileWritten{};  // the file's last write time (its DOS form is recorded)
  DWORD hitRate = 0;
  DWORD exemptDelta = 0;
};

class WineIndex {
 public:
  enum class Fault { None, Foreign, Untested, Damaged };

  /** Reads an image. False with a reason when it is no Wine index, one of a version Tolvane
   *  does not know, or one whose structure is broken; `fault` says which. */
  bool Parse(std::string image, std::string& problem, Fault* fault = nullptr);
  /** Empty when the image has only what was tested against Wine; otherwise why it is not
   *  written. */
  const std::string& WriteProblem() const { return m_writeProblem; }
  const std::vector<WineEntry>& Entries() const { return m_entries; }
  const WineEntry* Find(const std::string& url) const;
  const std::string& Image() const { return m_image; }

  /** Adds the entry, or replaces the one of the same URL (keeping its hash slot). */
  bool Put(const WineEntryWrite& entry, std::string& problem);
  /** Removes the entry of the URL; its file is the caller's to remove. */
  bool Remove(const std::string& url, std::string& problem);

  /** A new, empty index as Wine makes one for the cookie folder. */
  static std::string NewImage();
  /** The hash key Wine files a URL under (the low 6 bits choose the bucket). */
  static uint32_t HashKey(std::string_view url);
  static void ToDos(const FILETIME& time, uint16_t& date, uint16_t& dosTime);
  static FILETIME FromDos(uint16_t date, uint16_t dosTime);

 private:
  uint32_t Get32(size_t offset) const;
  void Set32(size_t offset, uint32_t value);
  bool Allocate(uint32_t blocks, uint32_t& offset);
  void Free(uint32_t offset);
  bool Grow();
  bool FreeSlot(uint32_t key, uint32_t& slot, std::string& problem);
  bool Reparse(std::string& problem);

  std::string m_image;
  std::vector<WineEntry> m_entries;
  std::string m_writeProblem;
};

}  // namespace platform::detail
