#include "platform/Faults.h"

#include <array>
#include <atomic>
#include <mutex>

#include "Internal.h"

namespace platform {
namespace {

struct Rule {
  bool armed = false;
  DWORD error = 0;
  int skip = 0;
  int times = 0;
};

constexpr size_t kCalls = static_cast<size_t>(Call::DeleteUrlCacheEntry) + 1;

std::mutex g_mutex;
std::array<Rule, kCalls> g_rules;
std::atomic<bool> g_anyArmed{false};
CommitProbe g_probe;

}  // namespace

void InjectFault(Call call, DWORD error, int skip, int times) {
  std::lock_guard lock(g_mutex);
  g_rules[static_cast<size_t>(call)] = Rule{times > 0, error, skip < 0 ? 0 : skip, times};
  g_anyArmed = true;
}

void ClearFaults() {
  std::lock_guard lock(g_mutex);
  g_rules.fill(Rule{});
  g_anyArmed = false;
}

void SetCommitProbe(CommitProbe probe) {
  std::lock_guard lock(g_mutex);
  g_probe = std::move(probe);
}

namespace detail {

bool TakeFault(Call call) {
  if (!g_anyArmed.load(std::memory_order_relaxed)) return false;
  DWORD error = 0;
  {
    std::lock_guard lock(g_mutex);
    Rule& rule = g_rules[static_cast<size_t>(call)];
    if (!rule.armed) return false;
    if (rule.skip > 0) {
      --rule.skip;
      return false;
    }
    error = rule.error;
    if (--rule.times <= 0) rule.armed = false;
  }
  SetLastError(error);
  return true;
}

void ProbeCommit(const char* point) {
  CommitProbe probe;
  {
    std::lock_guard lock(g_mutex);
    probe = g_probe;
  }
  if (probe) probe(point);
}

}  // namespace detail
}  // namespace platform
