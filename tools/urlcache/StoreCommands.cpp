// The commands that work across stores: finding them, copying between them, their backups.
#include <cstdio>
#include <ctime>

#include "Commands.h"
#include "Text.h"
#include "platform/Backups.h"
#include "platform/StoreCopy.h"
#include "platform/StoreLocation.h"

namespace urlcache {
namespace {

std::string LocalTime(int64_t seconds) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm utc{};
  gmtime_r(&time, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
  return text;
}

}  // namespace

int Stores() {
  std::printf("Kind\tLocation\tCookies\tInUse\tName\n");
  for (const platform::FoundStore& store : platform::FindStores()) {
    std::printf("%s\t%s\t%s\t%s\t%s%s%s\n", platform::StoreKindName(store.location.kind),
                store.location.Text().c_str(),
                store.cookies >= 0 ? std::to_string(store.cookies).c_str() : "?",
                store.inUse ? "in use" : "-", store.name.c_str(), store.note.empty() ? "" : "\t",
                store.note.c_str());
  }
  return kExitOk;
}

int Copy(const std::string& from, const std::string& to, const std::string& domain) {
  platform::CopyReport report;
  std::string problem;
  if (!platform::CopyCookies(from, to, domain, report, problem)) {
    std::fprintf(stderr, "urlcache: cannot copy: %s\n", Printable(problem).c_str());
    return kExitFailure;
  }
  for (const std::string& failure : report.failures) {
    std::fprintf(stderr, "urlcache: not copied: %s\n", Printable(failure).c_str());
  }
  std::printf("%d cookies copied (%d replaced a cookie of the same name, host and path)\n",
              report.copied, report.replaced);
  return report.failures.empty() ? kExitOk : kExitFailure;
}

int Backups() {
  std::printf("Backup\tCreated\tStore\tFiles\tBytes\n");
  for (const platform::StoreBackup& backup : platform::ListBackups()) {
    std::printf("%s\t%s\t%s\t%zu\t%llu\n", backup.id.c_str(), LocalTime(backup.created).c_str(),
                backup.location.Text().c_str(), backup.files.size(),
                static_cast<unsigned long long>(backup.bytes));
  }
  return kExitOk;
}

int Restore(const std::string& id) {
  std::string problem;
  if (!platform::RestoreBackup(id, problem)) {
    std::fprintf(stderr, "urlcache: cannot restore %s: %s\n", id.c_str(),
                 Printable(problem).c_str());
    return kExitFailure;
  }
  std::printf("restored %s\n", id.c_str());
  return kExitOk;
}

}  // namespace urlcache
