#include "WineIndex.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <set>

#include "platform/CookieRecord.h"

namespace platform::detail {
namespace {

static_assert(std::endian::native == std::endian::little, "index.dat is little-endian");

// The layout of Wine's index, version 0.2012001.
constexpr size_t kSignatureSize = 28;
constexpr char kSignaturePrefix[] = "WINE URLCache Ver ";
constexpr char kVersion[] = "0.2012001";
constexpr uint32_t kEntryStart = 0x4000;
constexpr uint32_t kBlock = 128;
constexpr uint32_t kMinBlocks = 0x80;
constexpr size_t kAllocationTable = 0x250;
constexpr size_t kAllocationTableSize = kEntryStart - kAllocationTable;
constexpr uint32_t kMaxBlocks = kAllocationTableSize * 8;
constexpr size_t kHeaderSize = 0x1C;
constexpr size_t kHeaderHashTable = 0x20;
constexpr size_t kHeaderCapacity = 0x24;
constexpr size_t kHeaderBlocksInUse = 0x28;
constexpr size_t kHeaderCacheLimit = 0x30;
constexpr size_t kHeaderCacheUsage = 0x38;
constexpr size_t kHeaderDirectories = 0x48;
constexpr size_t kHeaderLeakedEntries = 0x1CC + 0x16 * 4;
constexpr uint32_t kDefaultCacheLimit = 0x07FF5400;

constexpr uint32_t kHashTableBlocks = 0x20;
constexpr uint32_t kHashSlots = 448;
constexpr uint32_t kBuckets = 64;
constexpr uint32_t kSlotsPerBucket = kHashSlots / kBuckets;
constexpr uint32_t kSlotFlagBits = 0x3F;
constexpr uint32_t kSlotUrl = 0;
constexpr uint32_t kSlotDeleted = 1;
constexpr uint32_t kSlotFree = 3;

constexpr uint32_t Signature(const char (&text)[5]) {
  return uint32_t(uint8_t(text[0])) | uint32_t(uint8_t(text[1])) << 8 |
         uint32_t(uint8_t(text[2])) << 16 | uint32_t(uint8_t(text[3])) << 24;
}
constexpr uint32_t kUrlSignature = Signature("URL ");
constexpr uint32_t kHashSignature = Signature("HASH");

// The "URL " record: offsets of its fields.
constexpr size_t kModified = 0x08, kAccess = 0x10, kExpireDate = 0x18, kSize = 0x20,
                 kExemptDelta = 0x2C, kUnknown3 = 0x30, kUrlOffset = 0x34, kCacheDir = 0x38,
                 kUnknown5 = 0x3A, kNameOffset = 0x3C, kType = 0x40, kExtensionOffset = 0x4C,
                 kSyncDate = 0x50, kHitRate = 0x54, kUseCount = 0x58, kWriteDate = 0x5C,
                 kRecordHeader = 0x68;
constexpr uint8_t kNoSubfolder = 0xFE;

constexpr uint32_t FileSize(uint32_t blocks) { return blocks * kBlock + kEntryStart; }
constexpr size_t Align4(size_t n) { return (n + 3) & ~size_t(3); }

// The byte permutation Wine's URL cache hashes with (the table of shlwapi's UrlHash).
constexpr uint8_t kPermutation[256] = {
    0x01, 0x0E, 0x6E, 0x19, 0x61, 0xAE, 0x84, 0x77, 0x8A, 0xAA, 0x7D, 0x76, 0x1B, 0xE9, 0x8C, 0x33,
    0x57, 0xC5, 0xB1, 0x6B, 0xEA, 0xA9, 0x38, 0x44, 0x1E, 0x07, 0xAD, 0x49, 0xBC, 0x28, 0x24, 0x41,
    0x31, 0xD5, 0x68, 0xBE, 0x39, 0xD3, 0x94, 0xDF, 0x30, 0x73, 0x0F, 0x02, 0x43, 0xBA, 0xD2, 0x1C,
    0x0C, 0xB5, 0x67, 0x46, 0x16, 0x3A, 0x4B, 0x4E, 0xB7, 0xA7, 0xEE, 0x9D, 0x7C, 0x93, 0xAC, 0x90,
    0xB0, 0xA1, 0x8D, 0x56, 0x3C, 0x42, 0x80, 0x53, 0x9C, 0xF1, 0x4F, 0x2E, 0xA8, 0xC6, 0x29, 0xFE,
    0xB2, 0x55, 0xFD, 0xED, 0xFA, 0x9A, 0x85, 0x58, 0x23, 0xCE, 0x5F, 0x74, 0xFC, 0xC0, 0x36, 0xDD,
    0x66, 0xDA, 0xFF, 0xF0, 0x52, 0x6A, 0x9E, 0xC9, 0x3D, 0x03, 0x59, 0x09, 0x2A, 0x9B, 0x9F, 0x5D,
    0xA6, 0x50, 0x32, 0x22, 0xAF, 0xC3, 0x64, 0x63, 0x1A, 0x96, 0x10, 0x91, 0x04, 0x21, 0x08, 0xBD,
    0x79, 0x40, 0x4D, 0x48, 0xD0, 0xF5, 0x82, 0x7A, 0x8F, 0x37, 0x69, 0x86, 0x1D, 0xA4, 0xB9, 0xC2,
    0xC1, 0xEF, 0x65, 0xF2, 0x05, 0xAB, 0x7E, 0x0B, 0x4A, 0x3B, 0x89, 0xE4, 0x6C, 0xBF, 0xE8, 0x8B,
    0x06, 0x18, 0x51, 0x14, 0x7F, 0x11, 0x5B, 0x5C, 0xFB, 0x97, 0xE1, 0xCF, 0x15, 0x62, 0x71, 0x70,
    0x54, 0xE2, 0x12, 0xD6, 0xC7, 0xBB, 0x0D, 0x20, 0x5E, 0xDC, 0xE0, 0xD4, 0xF7, 0xCC, 0xC4, 0x2B,
    0xF9, 0xEC, 0x2D, 0xF4, 0x6F, 0xB6, 0x99, 0x88, 0x81, 0x5A, 0xD9, 0xCA, 0x13, 0xA5, 0xE7, 0x47,
    0xE6, 0x8E, 0x60, 0xE3, 0x3E, 0xB3, 0xF6, 0x72, 0xA2, 0x35, 0xA0, 0xD7, 0xCD, 0xB4, 0x2F, 0x6D,
    0x2C, 0x26, 0x1F, 0x95, 0x87, 0x00, 0xD8, 0x34, 0x3F, 0x17, 0x25, 0x45, 0x27, 0x75, 0x92, 0xB8,
    0xA3, 0xC8, 0xDE, 0xEB, 0xF8, 0xF3, 0xDB, 0x0A, 0x98, 0x83, 0x7B, 0xE5, 0xCB, 0x4C, 0x78, 0xD1};

std::string Printable(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\0') break;
    out += (c >= 0x20 && c < 0x7F) ? c : '?';
  }
  return out;
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

}  // namespace

uint32_t WineIndex::HashKey(std::string_view url) {
  // Four Pearson hashes of the text, each started from a different first byte.
  uint8_t key[4];
  const uint8_t first = url.empty() ? 0 : uint8_t(url[0]);
  for (int i = 0; i < 4; ++i) key[i] = kPermutation[uint8_t(first + i)];
  for (size_t at = 1; at < url.size() && url[at] != '\0'; ++at) {
    for (uint8_t& k : key) k = kPermutation[uint8_t(url[at]) ^ k];
  }
  return uint32_t(key[0]) | uint32_t(key[1]) << 8 | uint32_t(key[2]) << 16 | uint32_t(key[3]) << 24;
}

void WineIndex::ToDos(const FILETIME& time, uint16_t& date, uint16_t& dosTime) {
  if (time.dwLowDateTime == 0 && time.dwHighDateTime == 0) {
    date = dosTime = 0;  // "never", as Wine keeps it
    return;
  }
  // DOS dates cover 1980-2107; Wine's own conversion fails outside, so the nearest end is kept.
  int64_t seconds = UnixFromFileTime(time);
  seconds = std::clamp<int64_t>(seconds, 315532800, 4354819198);
  const std::time_t t = std::time_t(seconds);
  std::tm utc{};
  gmtime_r(&t, &utc);
  date = uint16_t((utc.tm_year + 1900 - 1980) << 9 | (utc.tm_mon + 1) << 5 | utc.tm_mday);
  dosTime = uint16_t(utc.tm_hour << 11 | utc.tm_min << 5 | utc.tm_sec / 2);
}

FILETIME WineIndex::FromDos(uint16_t date, uint16_t dosTime) {
  if (date == 0 && dosTime == 0) return FILETIME{};
  std::tm utc{};
  utc.tm_year = (date >> 9) + 1980 - 1900;
  utc.tm_mon = ((date >> 5) & 15) - 1;
  utc.tm_mday = date & 31;
  utc.tm_hour = dosTime >> 11;
  utc.tm_min = (dosTime >> 5) & 63;
  utc.tm_sec = (dosTime & 31) * 2;
  return FileTimeFromUnix(int64_t(timegm(&utc)));
}

uint32_t WineIndex::Get32(size_t offset) const {
  uint32_t value = 0;
  if (offset + 4 <= m_image.size()) std::memcpy(&value, m_image.data() + offset, 4);
  return value;
}

void WineIndex::Set32(size_t offset, uint32_t value) {
  std::memcpy(m_image.data() + offset, &value, 4);
}

const WineEntry* WineIndex::Find(const std::string& url) const {
  for (const WineEntry& entry : m_entries) {
    if (entry.url == url) return &entry;
  }
  return nullptr;
}

bool WineIndex::Parse(std::string image, std::string& problem, Fault* fault) {
  m_image = std::move(image);
  m_entries.clear();
  m_writeProblem.clear();
  Fault ignored;
  if (fault == nullptr) fault = &ignored;
  *fault = Fault::Damaged;
  const size_t prefix = sizeof kSignaturePrefix - 1;
  if (m_image.size() < kSignatureSize || m_image.compare(0, prefix, kSignaturePrefix) != 0) {
    problem = "not a Wine URL cache index (no \"WINE URLCache Ver\" signature)";
    *fault = Fault::Foreign;
    return false;
  }
  const std::string version(m_image.data() + prefix, kSignatureSize - prefix);
  if (version != std::string(kVersion) + std::string(kSignatureSize - prefix - 9, '\0')) {
    problem = "index version \"" + Printable(version) + "\" was not tested (Tolvane knows " +
              kVersion + ")";
    *fault = Fault::Untested;
    return false;
  }
  const uint32_t size = Get32(kHeaderSize);
  const uint32_t capacity = Get32(kHeaderCapacity);
  if (m_image.size() < FileSize(kMinBlocks) || size != m_image.size() || capacity % 8 != 0 ||
      capacity > kMaxBlocks || FileSize(capacity) != size) {
    problem = "the index's size (" + std::to_string(m_image.size()) + " bytes, header " +
              std::to_string(size) + ", " + std::to_string(capacity) +
              " blocks) is not one Wine makes";
    return false;
  }
  // Wine checks the allocation bits against the count of blocks in use, and throws away an
  // index whose bits disagree.
  uint32_t used = 0;
  for (size_t i = 0; i < kAllocationTableSize; ++i) {
    const uint8_t bits = uint8_t(m_image[kAllocationTable + i]);
    if (i >= capacity / 8 && bits != 0) {
      problem = "allocation bits past the index's end";
      return false;
    }
    used += uint32_t(std::popcount(bits));
  }
  if (used != Get32(kHeaderBlocksInUse)) {
    problem = "the index counts " + std::to_string(Get32(kHeaderBlocksInUse)) +
              " blocks in use but marks " + std::to_string(used);
    return false;
  }
  auto allocated = [&](uint32_t offset, uint32_t blocks) {
    for (uint32_t b = (offset - kEntryStart) / kBlock, end = b + blocks; b < end; ++b) {
      if ((uint8_t(m_image[kAllocationTable + b / 8]) & (1u << (b % 8))) == 0) return false;
    }
    return true;
  };
  auto inside = [&](uint32_t offset, uint32_t length) {
    return offset >= kEntryStart && offset % kBlock == 0 && uint64_t(offset) + length <= size;
  };
  // A string of a record: NUL-terminated inside the record's blocks.
  auto text = [&](uint32_t record, uint32_t length, uint32_t at, std::string& out) {
    if (at == 0) return true;
    if (at >= length) return false;
    const char* start = m_image.data() + record + at;
    const void* end = std::memchr(start, '\0', length - at);
    if (end == nullptr) return false;
    out.assign(start, static_cast<const char*>(end));
    return true;
  };

  if (Get32(kHeaderDirectories) != 0) {
    m_writeProblem = "the index keeps files in sub-folders, which a cookie folder's does not";
  } else if (Get32(kHeaderLeakedEntries) != 0) {
    m_writeProblem = "the index lists files Wine has yet to remove";
  }
  std::set<uint32_t> tables;
  uint32_t id = 0;
  for (uint32_t table = Get32(kHeaderHashTable); table != 0; table = Get32(table + 8), ++id) {
    if (!inside(table, kHashTableBlocks * kBlock) || !tables.insert(table).second ||
        Get32(table) != kHashSignature || Get32(table + 12) != id) {
      problem = "hash table " + std::to_string(id) + " at " + Hex(table) + " is damaged";
      return false;
    }
    if (!allocated(table, kHashTableBlocks)) m_writeProblem = "a hash table's blocks are free";
    for (uint32_t i = 0; i < kHashSlots; ++i) {
      const uint32_t slot = table + 16 + i * 8;
      const uint32_t key = Get32(slot);
      if (key == kSlotFree || key == kSlotDeleted) continue;
      const uint32_t offset = Get32(slot + 4);
      if (!inside(offset, kRecordHeader) || Get32(offset) != kUrlSignature) {
        const std::string kind = inside(offset, 4) ? m_image.substr(offset, 4) : "?";
        m_writeProblem = "the index holds an entry of a kind not tested (\"" + Printable(kind) +
                         "\" at " + Hex(offset) + ")";
        continue;
      }
      const uint32_t blocks = Get32(offset + 4);
      const uint32_t length = blocks * kBlock;
      WineEntry entry;
      if (blocks == 0 || !inside(offset, length) ||
          !text(offset, length, Get32(offset + kUrlOffset), entry.url) || entry.url.empty() ||
          !text(offset, length, Get32(offset + kNameOffset), entry.localName)) {
        problem = "the entry at " + Hex(offset) + " is damaged";
        return false;
      }
      if (!allocated(offset, blocks)) m_writeProblem = "an entry's blocks are marked free";
      if (uint8_t(m_image[offset + kCacheDir]) != kNoSubfolder) {
        m_writeProblem = "an entry names a sub-folder";
      }
      entry.offset = offset;
      entry.slot = slot;
      std::memcpy(&entry.modified, m_image.data() + offset + kModified, 8);
      std::memcpy(&entry.access, m_image.data() + offset + kAccess, 8);
      entry.expire = FromDos(uint16_t(Get32(offset + kExpireDate)),
                             uint16_t(Get32(offset + kExpireDate) >> 16));
      entry.sync =
          FromDos(uint16_t(Get32(offset + kSyncDate)), uint16_t(Get32(offset + kSyncDate) >> 16));
      entry.size = uint64_t(Get32(offset + kSize)) | uint64_t(Get32(offset + kSize + 4)) << 32;
      entry.type = Get32(offset + kType);
      entry.exemptDelta = Get32(offset + kExemptDelta);
      entry.hitRate = Get32(offset + kHitRate);
      entry.useCount = Get32(offset + kUseCount);
      entry.writeDate = uint16_t(Get32(offset + kWriteDate));
      entry.writeTime = uint16_t(Get32(offset + kWriteDate) >> 16);
      m_entries.push_back(std::move(entry));
    }
    if (id > kMaxBlocks / kHashTableBlocks) {
      problem = "the hash tables form a loop";
      return false;
    }
  }
  if (Get32(kHeaderHashTable) == 0) m_writeProblem = "the index has no hash table";
  *fault = Fault::None;
  return true;
}

bool WineIndex::Reparse(std::string& problem) {
  std::string image = std::move(m_image);
  return Parse(std::move(image), problem);
}

bool WineIndex::Grow() {
  const uint32_t capacity = Get32(kHeaderCapacity);
  if (capacity >= kMaxBlocks) return false;
  const uint32_t grown = std::min(capacity * 2, kMaxBlocks);
  m_image.resize(FileSize(grown), '\0');
  Set32(kHeaderSize, FileSize(grown));
  Set32(kHeaderCapacity, grown);
  return true;
}

bool WineIndex::Allocate(uint32_t blocks, uint32_t& offset) {
  for (;;) {
    const uint32_t capacity = Get32(kHeaderCapacity);
    uint32_t run = 0;
    for (uint32_t b = 0; b < capacity; ++b) {
      const bool free = (uint8_t(m_image[kAllocationTable + b / 8]) & (1u << (b % 8))) == 0;
      run = free ? run + 1 : 0;
      if (run < blocks) continue;
      const uint32_t first = b + 1 - blocks;
      for (uint32_t k = first; k <= b; ++k)
        m_image[kAllocationTable + k / 8] |= char(1u << (k % 8));
      Set32(kHeaderBlocksInUse, Get32(kHeaderBlocksInUse) + blocks);
      offset = kEntryStart + first * kBlock;
      // As Wine fills a new record, so that no old bytes show through its gaps.
      for (uint32_t at = offset; at < offset + blocks * kBlock; at += 4) Set32(at, 0xDEADBEEF);
      Set32(offset + 4, blocks);
      return true;
    }
    if (!Grow()) return false;
  }
}

void WineIndex::Free(uint32_t offset) {
  const uint32_t blocks = Get32(offset + 4);
  for (uint32_t b = (offset - kEntryStart) / kBlock, end = b + blocks; b < end; ++b) {
    m_image[kAllocationTable + b / 8] &= char(~(1u << (b % 8)));
  }
  Set32(kHeaderBlocksInUse, Get32(kHeaderBlocksInUse) - blocks);
}

bool WineIndex::FreeSlot(uint32_t key, uint32_t& slot, std::string& problem) {
  const uint32_t bucket = key % kBuckets;
  uint32_t last = 0;
  for (uint32_t table = Get32(kHeaderHashTable); table != 0; table = Get32(table + 8)) {
    last = table;
    for (uint32_t i = 0; i < kSlotsPerBucket; ++i) {
      const uint32_t at = table + 16 + (bucket * kSlotsPerBucket + i) * 8;
      const uint32_t held = Get32(at);
      if (held == kSlotFree || held == kSlotDeleted) {
        slot = at;
        return true;
      }
    }
  }
  // Every table's bucket is full: a new table joins the chain, as Wine adds one.
  uint32_t table = 0;
  if (!Allocate(kHashTableBlocks, table)) {
    problem = "the index has reached its largest size";
    return false;
  }
  Set32(table, kHashSignature);
  Set32(table + 8, 0);
  Set32(table + 12, Get32(last + 12) + 1);
  for (uint32_t i = 0; i < kHashSlots; ++i) {
    Set32(table + 16 + i * 8, kSlotFree);
    Set32(table + 20 + i * 8, kSlotFree);
  }
  Set32(last + 8, table);
  slot = table + 16 + bucket * kSlotsPerBucket * 8;
  return true;
}

bool WineIndex::Put(const WineEntryWrite& write, std::string& problem) {
  if (!m_writeProblem.empty()) {
    problem = m_writeProblem;
    return false;
  }
  const uint32_t key = HashKey(write.url);
  uint32_t slot = 0;
  uint64_t usage = uint64_t(Get32(kHeaderCacheUsage)) | uint64_t(Get32(kHeaderCacheUsage + 4))
                                                            << 32;
  if (const WineEntry* old = Find(write.url)) {
    slot = old->slot;
    usage -= std::min(usage, old->size);
    Free(old->offset);
  } else {
    for (const WineEntry& other : m_entries) {
      if (HashKey(other.url) == key) {
        problem = "its hash key is that of entry " + other.url + ", which Wine would find instead";
        return false;
      }
    }
    if (!FreeSlot(key, slot, problem)) return false;
  }
  const uint32_t urlAt = kRecordHeader;
  const uint32_t nameAt = uint32_t(Align4(urlAt + write.url.size() + 1));
  const uint32_t extensionAt = uint32_t(Align4(nameAt + write.localName.size() + 1));
  const uint32_t length = uint32_t(Align4(extensionAt + 4));
  uint32_t offset = 0;
  if (!Allocate((length + kBlock - 1) / kBlock, offset)) {
    problem = "the index has reached its largest size";
    return false;
  }
  std::memset(m_image.data() + offset + 8, 0, kRecordHeader - 8);
  Set32(offset, kUrlSignature);
  std::memcpy(m_image.data() + offset + kModified, &write.modified, 8);
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  std::memcpy(m_image.data() + offset + kAccess, &now, 8);
  uint16_t date = 0, time = 0;
  ToDos(write.expire, date, time);
  Set32(offset + kExpireDate, uint32_t(date) | uint32_t(time) << 16);
  Set32(offset + kSize, uint32_t(write.size));
  Set32(offset + kSize + 4, uint32_t(write.size >> 32));
  Set32(offset + kExemptDelta, write.exemptDelta);
  Set32(offset + kUnknown3, 0x60);
  Set32(offset + kUrlOffset, urlAt);
  Set32(offset + kCacheDir, kNoSubfolder | uint32_t(0x1010) << 16);
  (void)kUnknown5;
  Set32(offset + kNameOffset, nameAt);
  Set32(offset + kType, write.type);
  Set32(offset + kExtensionOffset, extensionAt);
  ToDos(now, date, time);
  Set32(offset + kSyncDate, uint32_t(date) | uint32_t(time) << 16);
  Set32(offset + kHitRate, write.hitRate);
  Set32(offset + kUseCount, 0);
  ToDos(write.fileWritten, date, time);
  Set32(offset + kWriteDate, uint32_t(date) | uint32_t(time) << 16);
  std::memcpy(m_image.data() + offset + urlAt, write.url.c_str(), write.url.size() + 1);
  std::memcpy(m_image.data() + offset + nameAt, write.localName.c_str(),
              write.localName.size() + 1);
  std::memcpy(m_image.data() + offset + extensionAt, "txt", 4);

  usage += write.size;
  Set32(kHeaderCacheUsage, uint32_t(usage));
  Set32(kHeaderCacheUsage + 4, uint32_t(usage >> 32));
  Set32(slot, (key & ~kSlotFlagBits) | kSlotUrl);  // a replaced entry is no longer locked
  Set32(slot + 4, offset);
  return Reparse(problem);
}

bool WineIndex::Remove(const std::string& url, std::string& problem) {
  if (!m_writeProblem.empty()) {
    problem = m_writeProblem;
    return false;
  }
  const WineEntry* entry = Find(url);
  if (entry == nullptr) {
    problem = "no entry " + url;
    return false;
  }
  uint64_t usage = uint64_t(Get32(kHeaderCacheUsage)) | uint64_t(Get32(kHeaderCacheUsage + 4))
                                                            << 32;
  usage -= std::min(usage, entry->size);
  Set32(kHeaderCacheUsage, uint32_t(usage));
  Set32(kHeaderCacheUsage + 4, uint32_t(usage >> 32));
  Free(entry->offset);
  Set32(entry->slot, kSlotDeleted);
  return Reparse(problem);
}

std::string WineIndex::NewImage() {
  WineIndex index;
  index.m_image.assign(FileSize(kMinBlocks), '\0');
  std::memcpy(index.m_image.data(), kSignaturePrefix, sizeof kSignaturePrefix - 1);
  std::memcpy(index.m_image.data() + sizeof kSignaturePrefix - 1, kVersion, sizeof kVersion - 1);
  index.Set32(kHeaderSize, FileSize(kMinBlocks));
  index.Set32(kHeaderCapacity, kMinBlocks);
  index.Set32(kHeaderCacheLimit, kDefaultCacheLimit);
  uint32_t table = 0;
  index.Allocate(kHashTableBlocks, table);
  index.Set32(table, kHashSignature);
  index.Set32(table + 8, 0);
  index.Set32(table + 12, 0);
  for (uint32_t i = 0; i < kHashSlots * 2; ++i) index.Set32(table + 16 + i * 4, kSlotFree);
  index.Set32(kHeaderHashTable, table);
  return index.m_image;
}

}  // namespace platform::detail
