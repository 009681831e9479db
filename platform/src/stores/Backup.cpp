#include "Backup.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <set>
#include <sstream>

#include "../Internal.h"
#include "AtomicFile.h"
#include "Backend.h"
#include "platform/Backups.h"

namespace platform {
namespace {

constexpr size_t kKeepPerStore = 10;
constexpr char kManifest[] = "manifest";

bool MakeFolders(const std::string& path, std::string& problem) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    ::mkdir(path.substr(0, slash).c_str(), 0700);
  }
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    problem = "cannot create " + path + ": " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
    problem = path + " is not a folder of this user";
    return false;
  }
  if ((st.st_mode & 077) != 0) ::chmod(path.c_str(), 0700);  // backups hold sessions
  return true;
}

std::string Escape(const std::string& text) {
  std::string out;
  for (const char c : text) out += (c == '\t' || c == '\n' || c == '\\') ? '_' : c;
  return out;
}

// A folder name for a backup: the store's kind and file name, the time, and what makes it
// unique.
std::string NewId(const StoreLocation& location) {
  static unsigned counter = 0;
  const std::string& path = location.path;
  std::string base = path.substr(path.find_last_of('/') + 1);
  for (char& c : base) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') c = '_';
  }
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &utc);
  return std::string(stamp) + "-" + StoreKindName(location.kind) + "-" + base.substr(0, 60) + "-" +
         std::to_string(::getpid()) + "-" + std::to_string(++counter);
}

bool ReadManifest(const std::string& folder, StoreBackup& backup,
                  std::vector<std::pair<std::string, std::string>>& files,
                  std::vector<std::string>& absent) {
  std::string text, problem;
  if (!detail::ReadRegularFile(folder + "/" + kManifest, text, problem)) return false;
  std::istringstream lines(text);
  std::string line;
  bool located = false;
  while (std::getline(lines, line)) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const std::string key = line.substr(0, tab);
    const std::string value = line.substr(tab + 1);
    if (key == "location") {
      std::string why;
      const size_t colon = value.find(':');
      backup.location.path = value.substr(colon + 1);
      for (StoreKind kind : {StoreKind::UrlCache, StoreKind::Netscape, StoreKind::Firefox,
                             StoreKind::Chromium, StoreKind::Wine}) {
        if (value.compare(0, colon, StoreKindName(kind)) == 0) backup.location.kind = kind;
      }
      located = colon != std::string::npos;
    } else if (key == "created") {
      backup.created = std::atoll(value.c_str());
    } else if (key == "file") {
      const size_t second = value.find('\t');
      if (second == std::string::npos) continue;
      files.emplace_back(value.substr(0, second), value.substr(second + 1));
      backup.files.push_back(value.substr(second + 1));
    } else if (key == "absent") {
      absent.push_back(value);
    }
  }
  return located;
}

bool CopyFile(const std::string& from, const std::string& to, uint64_t& bytes,
              std::string& problem) {
  std::string content;
  if (!detail::ReadRegularFile(from, content, problem)) return false;
  bytes += content.size();
  return detail::ReplaceFileAtomically(to, content, 0600, problem);
}

std::mutex g_backedUpMutex;
std::set<std::string> g_backedUp;  // location texts backed up in this run

}  // namespace

std::string BackupFolder() {
  if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/') {
    return std::string(state) + "/tolvane/backups";
  }
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr && *home != '\0' ? home : ".") +
         "/.local/state/tolvane/backups";
}

std::vector<StoreBackup> ListBackups() {
  std::vector<StoreBackup> backups;
  const std::string folder = BackupFolder();
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return backups;
  while (const dirent* item = ::readdir(dir)) {
    if (item->d_name[0] == '.') continue;
    StoreBackup backup;
    backup.id = item->d_name;
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::string> absent;
    if (!ReadManifest(folder + "/" + backup.id, backup, files, absent)) continue;
    for (const auto& [name, original] : files) {
      struct stat st {};
      if (::stat((folder + "/" + backup.id + "/" + name).c_str(), &st) == 0) {
        backup.bytes += uint64_t(st.st_size);
      }
    }
    backups.push_back(std::move(backup));
  }
  ::closedir(dir);
  std::sort(backups.begin(), backups.end(), [](const StoreBackup& a, const StoreBackup& b) {
    return a.created != b.created ? a.created > b.created : a.id > b.id;
  });
  return backups;
}

bool RestoreBackup(const std::string& id, std::string& problem) {
  if (id.empty() || id.find('/') != std::string::npos || id[0] == '.') {
    problem = "no backup " + id;
    return false;
  }
  const std::string folder = BackupFolder() + "/" + id;
  StoreBackup backup;
  std::vector<std::pair<std::string, std::string>> files;
  std::vector<std::string> absent;
  if (!ReadManifest(folder, backup, files, absent)) {
    problem = "no backup " + id + " in " + BackupFolder();
    return false;
  }
  DWORD error = 0;
  std::unique_ptr<detail::StoreBackend> store =
      detail::MakeBackend(backup.location, error, problem);
  if (store == nullptr) return false;
  if (const std::string why = store->InUseReason(); !why.empty()) {
    problem = why;
    return false;
  }
  store.reset();
  uint64_t bytes = 0;
  for (const auto& [name, original] : files) {
    if (!CopyFile(folder + "/" + name, original, bytes, problem)) return false;
  }
  for (const std::string& original : absent) ::unlink(original.c_str());
  return true;
}

}  // namespace platform

namespace platform::detail {

bool BackUpOnce(const StoreLocation& location, const std::vector<std::string>& files,
                std::string& problem) {
  std::lock_guard lock(g_backedUpMutex);
  const std::string text = location.Text();
  if (g_backedUp.count(text) != 0) return true;
  const std::string root = BackupFolder();
  if (!MakeFolders(root, problem)) return false;
  const std::string id = NewId(location);
  const std::string folder = root + "/" + id;
  if (::mkdir(folder.c_str(), 0700) != 0) {
    problem = "cannot create " + folder + ": " + std::strerror(errno);
    return false;
  }
  std::string manifest =
      "location\t" + Escape(text) + "\ncreated\t" + std::to_string(std::time(nullptr)) + "\n";
  uint64_t bytes = 0;
  int n = 0;
  for (const std::string& file : files) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) {
      manifest += "absent\t" + Escape(file) + "\n";
      continue;
    }
    const std::string name = std::to_string(++n) + "-" + file.substr(file.find_last_of('/') + 1);
    if (!CopyFile(file, folder + "/" + name, bytes, problem)) return false;
    manifest += "file\t" + name + "\t" + Escape(file) + "\n";
  }
  if (!ReplaceFileAtomically(folder + "/" + kManifest, manifest, 0600, problem)) return false;
  g_backedUp.insert(text);
  // The newest few of this store stay.
  size_t kept = 0;
  for (const StoreBackup& backup : ListBackups()) {
    if (backup.location.Text() != text || ++kept <= kKeepPerStore) continue;
    const std::string old = root + "/" + backup.id;
    if (DIR* dir = ::opendir(old.c_str())) {
      while (const dirent* item = ::readdir(dir)) {
        if (item->d_name[0] != '.') ::unlinkat(::dirfd(dir), item->d_name, 0);
      }
      ::closedir(dir);
    }
    ::rmdir(old.c_str());
  }
  return true;
}

}  // namespace platform::detail
