// The catalogue's load, as the program does it, over a large store: 10,000 cookie entries
// holding 100,000 nine-line records (about 10 MB), read one byte per stream call.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <wininet.h>

#include <string>
#include <vector>

#include "LargeStore.h"

namespace {

constexpr int kEntries = 10'000;
constexpr int kRecordsPerEntry = 10;

std::string Record(int entry, int record) {
  const std::string domain = "site" + std::to_string(entry) + ".example.com/";
  return "name" + std::to_string(record) + "\n" + std::string(40, 'a' + record) + "%20" +
         std::to_string(entry) + "\n" + domain + "\n" + "1024\n2743031808\n31000000\n" +
         "1551935488\n30900000\n*\n";
}

// Built once per process, removed at exit.
const bench::LargeStore& Store() {
  static const bench::LargeStore store(kEntries, kRecordsPerEntry, Record);
  return store;
}

// One cookie file through the stream calls, one byte at a time, as the entry reader does.
size_t ReadCookieFile(const char* url) {
  DWORD size = 0;
  if (RetrieveUrlCacheEntryStreamA(url, nullptr, &size, FALSE, 0) != nullptr ||
      GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    return 0;
  }
  std::vector<char> record(size);
  HANDLE stream = RetrieveUrlCacheEntryStreamA(
      url, reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(record.data()), &size, FALSE, 0);
  if (stream == nullptr) return 0;
  size_t lines = 0;
  for (DWORD offset = 0;; ++offset) {
    char byte = 0;
    DWORD length = 1;
    if (!ReadUrlCacheEntryStream(stream, offset, &byte, &length, 0) || length != 1) break;
    lines += byte == '\n';
  }
  UnlockUrlCacheEntryStream(stream, 0);
  return lines;
}

void BM_LoadAllCookieEntries(benchmark::State& state) {
  const bench::LargeStore& store = Store();
  size_t lines = 0;
  for (auto _ : state) {
    DWORD size = 0;
    if (FindFirstUrlCacheEntryA("cookie:", nullptr, &size) != nullptr ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
      state.SkipWithError("sizing call");
      break;
    }
    std::vector<char> buffer(size);
    auto* info = reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data());
    HANDLE find = FindFirstUrlCacheEntryA("cookie:", info, &size);
    lines = 0;
    while (find != nullptr) {
      lines += ReadCookieFile(info->lpszSourceUrlName);
      size = static_cast<DWORD>(buffer.size());
      if (FindNextUrlCacheEntryA(find, info, &size)) continue;
      if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
      buffer.resize(size);
      info = reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data());
      if (!FindNextUrlCacheEntryA(find, info, &size)) break;
    }
    FindCloseUrlCache(find);
    benchmark::DoNotOptimize(lines);
  }
  if (lines != size_t{kEntries} * kRecordsPerEntry * 9) state.SkipWithError("lines lost");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * store.Bytes()));
}
BENCHMARK(BM_LoadAllCookieEntries)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The first call of a program: the store's folders vetted and the index opened, checked
// (quick_check, before anything may be written) and read once.
void BM_OpenStore(benchmark::State& state) {
  const bench::LargeStore& store = Store();
  for (auto _ : state) {
    state.PauseTiming();
    platform::SetUrlCacheRoot("");
    platform::SetUrlCacheRoot(store.Root());
    state.ResumeTiming();
    platform::UrlCacheRecord record;
    if (!platform::FindUrlCacheEntry(bench::EntryUrl(0), record)) {
      state.SkipWithError("open");
      break;
    }
  }
}
BENCHMARK(BM_OpenStore)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The floor: the same files read whole, as cat reads them.
void BM_ReadFilesLikeCat(benchmark::State& state) {
  const bench::LargeStore& store = Store();
  std::vector<char> chunk(128 * 1024);
  for (auto _ : state) {
    size_t total = 0;
    for (const std::string& file : store.Files()) {
      const int fd = ::open(file.c_str(), O_RDONLY);
      ssize_t n;
      while ((n = ::read(fd, chunk.data(), chunk.size())) > 0) total += static_cast<size_t>(n);
      ::close(fd);
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * store.Bytes()));
}
BENCHMARK(BM_ReadFilesLikeCat)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
