// The writes of the Wine back end: which stored entries a commit or delete changes, and the
// write itself, made while no wineserver can run for the prefix.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wininet.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

#include "../Internal.h"
#include "AtomicFile.h"
#include "Backup.h"
#include "WineBackend.h"
#include "platform/StoreErrors.h"

namespace platform::detail {
namespace {

DWORD WriteError(int error) {
  return error == ENOSPC || error == EDQUOT                    ? ERROR_DISK_FULL
         : error == EACCES || error == EPERM || error == EROFS ? ERROR_ACCESS_DENIED
                                                               : ERROR_WRITE_FAULT;
}

bool MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    ::mkdir(path.substr(0, slash).c_str(), 0700);
  }
  return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

bool WineBackend::PlanFor(const std::string& url, const std::vector<CookieRecord>* records,
                          Plan& plan) {
  const Shown* shown = FindShown(url);
  std::set<std::string> touched;
  if (shown != nullptr) {
    for (const auto& [s, r] : shown->cookies) touched.insert(m_stored[s].entry.url);
    if (shown->home != nullptr) touched.insert(url);
  }
  std::map<std::string, size_t> incoming;  // identity -> index in records
  if (records != nullptr) {
    for (size_t k = 0; k < records->size(); ++k) {
      const CookieRecord& r = (*records)[k];
      if (const std::string why = CannotHold(r); !why.empty()) {
        Fail(ERROR_TOLVANE_COOKIE_NOT_STORABLE,
             "entry " + url + ", cookie \"" + r.name + "\": " + why);
        return false;
      }
      const std::string stored = EntryUrlFor(r.Host(), r.Path());
      const std::string identity = Identity(stored, r.name);
      if (!incoming.emplace(identity, k).second) {
        Fail(ERROR_TOLVANE_COOKIE_NOT_STORABLE,
             "entry " + url + ": two cookies named \"" + r.name + "\" for " + r.Host() + r.Path() +
                 "; Wine keeps one of a name for a host and path");
        return false;
      }
      const auto owner = m_owner.find(identity);
      if (owner != m_owner.end() && owner->second != url) {
        Fail(ERROR_TOLVANE_COOKIE_OF_OTHER_ENTRY, "entry " + url + ", cookie \"" + r.name +
                                                      "\" for " + r.domain + " belongs to entry " +
                                                      owner->second);
        return false;
      }
      touched.insert(stored);
    }
  }
  if (shown != nullptr && shown->home != nullptr && !shown->home->readable) {
    if (records != nullptr) {
      Fail(ERROR_INVALID_DATA, "entry " + url + ": its file " + FilePath(shown->home->entry) +
                                   " does not hold whole records; it is not written");
      return false;
    }
    plan[url] = {};  // deleting it drops what cannot be read, as the user asked
    touched.erase(url);
  }
  for (const std::string& target : touched) {
    const Stored* stored = FindStored(target);
    if (stored != nullptr && !stored->readable) {
      Fail(ERROR_INVALID_DATA, "entry " + target + ": its file " + FilePath(stored->entry) +
                                   " does not hold whole records; it is not written");
      return false;
    }
    std::vector<CookieRecord>& next = plan[target];
    std::set<size_t> placed;
    if (stored != nullptr) {
      for (const CookieRecord& old : stored->records) {
        const std::string identity = Identity(target, old.name);
        const auto owner = m_owner.find(identity);
        if (owner == m_owner.end() || owner->second != url) {
          next.push_back(old);  // another entry's cookie stays as it is
          continue;
        }
        const auto replacement = incoming.find(identity);
        if (replacement != incoming.end()) {
          next.push_back((*records)[replacement->second]);
          placed.insert(replacement->second);
        }
      }
    }
    if (records != nullptr) {
      // New cookies follow, in the order they were committed in.
      for (size_t k = 0; k < records->size(); ++k) {
        const CookieRecord& r = (*records)[k];
        if (placed.count(k) == 0 && EntryUrlFor(r.Host(), r.Path()) == target) next.push_back(r);
      }
    }
  }
  return true;
}

bool WineBackend::Unchanged() {
  std::string bytes;
  bool present = false;
  if (!ReadIndex(bytes, present)) return false;
  bool same = present == m_indexPresent && bytes == m_indexBytes;
  for (size_t i = 0; same && i < m_stored.size(); ++i) {
    std::string now, problem;
    if (ReadRegularFile(FilePath(m_stored[i].entry), now, problem) || !m_stored[i].bytes.empty()) {
      same = now == m_stored[i].bytes;
    }
  }
  if (!same) {
    Fail(ERROR_TOLVANE_STORE_CHANGED, m_place.cookieFolder +
                                          " changed on disk since it was read; reload to see "
                                          "what it holds now");
  }
  return same;
}

bool WineBackend::WriteCookieFile(const std::vector<CookieRecord>& records, std::string& name,
                                  FILETIME& written, std::string& problem) {
  // Names as Wine makes them for its cookie files: eight of 0-9 and A-Z.
  static std::mt19937_64 random{std::random_device{}()};
  const std::string bytes = RenderRecords(records);
  for (int attempt = 0; attempt < 100; ++attempt) {
    name.clear();
    for (int i = 0; i < 8; ++i) name += "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[random() % 36];
    name += ".txt";
    const std::string path = m_place.cookieFolder + "/" + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      problem = "cannot create " + path + ": " + std::strerror(errno);
      return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += size_t(n);
    }
    struct stat st {};
    const bool ok = done == bytes.size() && ::fsync(fd) == 0 && ::fstat(fd, &st) == 0;
    const int error = errno;
    ::close(fd);
    if (!ok) {
      ::unlink(path.c_str());
      errno = error;
      problem = "cannot write " + path + ": " + std::strerror(error);
      return false;
    }
    written = FileTimeFromUnix(st.st_mtim.tv_sec);
    return true;
  }
  problem = "no free file name in " + m_place.cookieFolder;
  errno = EEXIST;
  return false;
}

bool WineBackend::Apply(const Plan& plan) {
  std::vector<std::pair<std::string, const std::vector<CookieRecord>*>> changes;
  for (const auto& [url, records] : plan) {
    const Stored* stored = FindStored(url);
    if (stored == nullptr ? records.empty() : stored->readable && stored->records == records) {
      continue;
    }
    changes.emplace_back(url, &records);
  }
  if (changes.empty()) return true;
  if (m_place.prefix.empty()) {
    Fail(ERROR_TOLVANE_STORE_READ_ONLY,
         m_place.IndexPath() +
             " is not inside a Wine prefix, so whether Wine uses it cannot be "
             "told; it is not written");
    return false;
  }
  // From here until the end no wineserver can start for the prefix. (Nothing below may open
  // and close the lock files: closing any of them would let the lock go.)
  WineServerLock lock;
  std::string problem;
  if (!lock.Acquire(m_place.prefix, problem)) {
    Fail(ERROR_TOLVANE_STORE_IN_USE, problem + "; nothing was written");
    return false;
  }
  if (!Unchanged()) return false;
  WineIndex next = m_index;
  if (!m_indexPresent && !next.Parse(WineIndex::NewImage(), problem)) {
    Fail(ERROR_WRITE_FAULT, problem);
    return false;
  }
  if (!next.WriteProblem().empty()) {
    Fail(ERROR_TOLVANE_STORE_UNTESTED,
         m_place.IndexPath() + ": " + next.WriteProblem() + "; it is not written");
    return false;
  }
  std::vector<std::string> backup = {m_place.IndexPath()};
  for (const Stored& stored : m_stored) backup.push_back(FilePath(stored.entry));
  if (!BackUpOnce(m_location, backup, problem)) {
    Fail(ERROR_WRITE_FAULT, "no backup of " + m_place.cookieFolder +
                                " could be made, so it is not written: " + problem);
    return false;
  }
  if (!MakeFolders(m_place.cookieFolder)) {
    Fail(WriteError(errno), "cannot make " + m_place.cookieFolder + ": " + std::strerror(errno));
    return false;
  }
  std::vector<std::string> made, old;
  auto undo = [&](DWORD error, const std::string& why) {
    for (const std::string& path : made) ::unlink(path.c_str());
    Fail(error, why + "; nothing was changed");
    return false;
  };
  for (const auto& [url, records] : changes) {
    const Stored* stored = FindStored(url);
    if (stored != nullptr) old.push_back(FilePath(stored->entry));
    if (records->empty()) {
      if (!next.Remove(url, problem)) return undo(ERROR_WRITE_FAULT, problem);
      continue;
    }
    WineEntryWrite write;
    FILETIME written{};
    if (!WriteCookieFile(*records, write.localName, written, problem)) {
      return undo(WriteError(errno), problem);
    }
    made.push_back(m_place.cookieFolder + "/" + write.localName);
    write.url = url;
    write.size = RenderRecords(*records).size();
    write.fileWritten = written;
    write.type = stored != nullptr ? stored->entry.type : COOKIE_CACHE_ENTRY;
    write.modified = stored != nullptr ? stored->entry.modified : FILETIME{};
    write.expire = stored != nullptr ? stored->entry.expire : FILETIME{};
    write.hitRate = stored != nullptr ? stored->entry.hitRate + 1 : 1;  // as Wine counts a commit
    write.exemptDelta = stored != nullptr ? stored->entry.exemptDelta : 0;
    if (!next.Put(write, problem)) {
      return undo(ERROR_TOLVANE_COOKIE_NOT_STORABLE, "entry " + url + ": " + problem);
    }
  }
  if (!ReplaceFileAtomically(m_place.IndexPath(), next.Image(), 0600, problem)) {
    return undo(WriteError(errno), problem);
  }
  // Only now that the index no longer names them do the old files go.
  for (const std::string& path : old) {
    const std::string name = path.substr(path.find_last_of('/') + 1);
    if (name != "index.dat" && name.find('/') == std::string::npos) ::unlink(path.c_str());
  }
  return true;
}

bool WineBackend::Commit(const UrlCacheRecord& record) {
  std::vector<CookieRecord> records;
  if (!TakeCommitRecords(record, records)) return false;
  if (!EnsureLoaded()) return false;
  Plan plan;
  if (!PlanFor(record.url, &records, plan) || !Apply(plan)) return false;
  for (const CookieRecord& r : records) {
    const std::string stored = EntryUrlFor(r.Host(), r.Path());
    const std::string identity = Identity(stored, r.name);
    NotePlaced(record.url, identity, stored);
  }
  NoteCommitted(record.url, records.empty());
  Load();  // a failure here leaves the next call to read again; the commit itself is done
  return true;
}

bool WineBackend::Delete(const std::string& url) {
  if (!EnsureLoaded()) return false;
  if (FindShown(url) == nullptr) {
    Fail(ERROR_FILE_NOT_FOUND, "no entry " + url);
    return false;
  }
  Plan plan;
  if (!PlanFor(url, nullptr, plan) || !Apply(plan)) return false;
  NoteDeleted(url);
  Load();
  return true;
}

}  // namespace platform::detail
