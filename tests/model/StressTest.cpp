// The store under load through the model, as several windows use it: four processes
// committing at once while another loads the whole catalogue, and a process killed at random
// moments of its commits. Nothing acknowledged may be lost, nothing may be left corrupt.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ModelTestSupport.h"
#include "model/SiteCacheList.h"
#include "support/Child.h"

namespace {

using tolvane::test::Signal;

constexpr int kSites = 4;
constexpr int kWriters = 4;
constexpr int kCommitsEach = 500;

// Each entry's one record is named after its URL, so a file read for the wrong entry shows.
std::string RecordOf(const std::string& url, const std::string& value) {
  return url + "\n" + value + "\nsite.example/\n0\n0\n0\n0\n0\n*\n";
}

std::string SharedUrl(int site) {
  return "Cookie:shared@site" + std::to_string(site) + ".example/";
}
std::string OwnUrl(int writer, int site) {
  return "Cookie:p" + std::to_string(writer) + "@site" + std::to_string(site) + ".example/";
}

SiteCache* Find(SiteCacheList& list, const std::string& url) {
  for (int i = 0; i < list.GetSize(); ++i) {
    if (list.GetEntry(i)->m_strUrlName == url.c_str()) return list.GetEntry(i);
  }
  return nullptr;
}

// Appends a line to a journal; one write, so lines never mix and a kill keeps what was said.
void Note(int journal, const std::string& line) {
  const std::string text = line + "\n";
  (void)!write(journal, text.data(), text.size());
}

// Edits the entry's one value and commits it as the tree's command does; 0 on success.
int CommitValue(SiteCacheList& list, const std::string& url, const std::string& value) {
  SiteCache* entry = Find(list, url);
  if (entry == nullptr || entry->GetSize() != 1) return -100;
  entry->GetVariable(0)->m_strValue = value;
  entry->GetVariable(0)->m_nState = 2;
  entry->m_nState = 2;
  return list.CommitEntry(entry, true);
}

// Problems a full load shows: entries missing, files of other entries, records cut short.
// `unread` counts entries whose file could not be read this time.
std::vector<std::string> LoadProblems(const std::set<std::string>& urls, int* unread = nullptr) {
  std::vector<std::string> problems;
  SiteCacheList list;
  SetLastError(ERROR_SUCCESS);
  if (list.Load() == 0) {
    problems.push_back("load failed: error " + std::to_string(GetLastError()) + ": " +
                       platform::LastUrlCacheErrorDetail());
  }
  std::set<std::string> seen;
  for (int i = 0; i < list.GetSize(); ++i) {
    const SiteCache* entry = list.GetEntry(i);
    const std::string url = entry->m_strUrlName.str();
    seen.insert(url);
    if (entry->m_nState != 0) {
      if (unread != nullptr) ++*unread;
      if (unread == nullptr) problems.push_back(url + ": file not read");
    } else if (entry->GetSize() != 1 || entry->GetVariable(0)->m_strName.str() != url ||
               entry->GetVariable(0)->m_nState != 0) {
      problems.push_back(url + ": holds " + std::to_string(entry->GetSize()) +
                         " records, not its own one");
    }
  }
  for (const std::string& url : urls) {
    if (seen.count(url) == 0) problems.push_back(url + ": entry lost");
  }
  return problems;
}

class StoreStress : public modeltest::StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    m_journal = m_store->Root() + "-journal";
  }
  void TearDown() override {
    unlink(m_journal.c_str());
    StoreTest::TearDown();
  }
  void Put(const std::string& url) {
    PutEntry(url, RecordOf(url, "initial"));
    m_urls.insert(url);
  }
  // Every line of the journal, in order.
  std::vector<std::string> JournalLines() const {
    std::vector<std::string> lines;
    const std::string text = modeltest::ReadBytes(m_journal);
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1) {
      lines.push_back(text.substr(start, end - start));
    }
    return lines;
  }
  // The value the store holds for each URL, read as a new window would.
  static std::map<std::string, std::string> StoredValues() {
    std::map<std::string, std::string> values;
    SiteCacheList list;
    list.Load();
    for (int i = 0; i < list.GetSize(); ++i) {
      const SiteCache* entry = list.GetEntry(i);
      if (entry->GetSize() == 1)
        values[entry->m_strUrlName.str()] = entry->GetVariable(0)->m_strValue.str();
    }
    return values;
  }

  std::string m_journal;
  std::set<std::string> m_urls;
};

// Children report message boxes as failures: nobody is there to read them.
void CountBoxes(int* boxes) {
  platform::SetMessageBoxHandler([boxes](HWND, const char*, const char*, UINT) {
    ++*boxes;
    return IDOK;
  });
}

TEST_F(StoreStress, FourWindowsCommittingAtOnceWhileAFifthLoadsLoseNothing) {
  for (int site = 0; site < kSites; ++site) {
    Put(SharedUrl(site));
    for (int writer = 0; writer < kWriters; ++writer) Put(OwnUrl(writer, site));
  }
  const int journal = open(m_journal.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  ASSERT_GE(journal, 0);
  Signal start, stop;
  std::vector<pid_t> writers;
  for (int writer = 0; writer < kWriters; ++writer) {
    const pid_t child = fork();
    if (child == 0) {
      int boxes = 0, failures = 0;
      CountBoxes(&boxes);
      SiteCacheList list;
      list.Load();
      start.Wait(30);
      for (int i = 0; i < kCommitsEach; ++i) {
        // Own and shared entries in turn; reloaded now and then, so most shared commits come
        // from a window that has not seen the others' commits.
        if (i % 97 == 96) list.Load();
        const int site = (i / 2) % kSites;
        const std::string url = i % 2 ? SharedUrl(site) : OwnUrl(writer, site);
        const std::string value = "w" + std::to_string(writer) + "-" + std::to_string(i);
        if (CommitValue(list, url, value) == 0) {
          Note(journal, url + "\t" + value);
        } else {
          ++failures;
        }
      }
      _exit(failures + boxes > 0 ? 1 : 0);
    }
    writers.push_back(child);
  }
  const std::set<std::string> urls = m_urls;
  const pid_t reader = fork();
  if (reader == 0) {
    int boxes = 0, loads = 0, unread = 0;
    CountBoxes(&boxes);
    std::vector<std::string> problems;
    while (problems.empty() && !stop.Wait(0)) {
      problems = LoadProblems(urls, &unread);
      ++loads;
    }
    for (const std::string& problem : problems)
      std::fprintf(stderr, "reader: %s\n", problem.c_str());
    std::fprintf(stderr, "reader: %d loads, %d entries not read\n", loads, unread);
    _exit(!problems.empty() || boxes > 0 || unread > 0 ? 1 : 0);
  }
  for (int writer = 0; writer < kWriters; ++writer) start.Send();
  for (const pid_t writer : writers) {
    int status = 0;
    waitpid(writer, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer's commit failed";
  }
  stop.Send();
  int status = 0;
  waitpid(reader, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the reader saw a problem";
  close(journal);

  // Every entry holds the value of the last commit made to it: for each URL, the last value
  // one of the writers committed.
  std::map<std::string, std::map<char, std::string>> last;
  const std::vector<std::string> lines = JournalLines();
  EXPECT_EQ(lines.size(), size_t{kWriters} * kCommitsEach);
  for (const std::string& line : lines) {
    const size_t tab = line.find('\t');
    last[line.substr(0, tab)][line[tab + 2]] = line.substr(tab + 1);
  }
  const auto stored = StoredValues();
  EXPECT_EQ(stored.size(), m_urls.size());
  for (const std::string& url : m_urls) {
    std::set<std::string> allowed;
    for (const auto& [writer, value] : last[url]) allowed.insert(value);
    EXPECT_EQ(allowed.count(stored.count(url) ? stored.at(url) : "<lost>"), 1u) << url;
  }
  EXPECT_TRUE(LoadProblems(m_urls).empty());
  EXPECT_EQ(StoreProblems(), std::vector<std::string>{});
  EXPECT_TRUE(m_boxes.empty());
}

// A process committing without pause, killed at a random moment, again and again. The journal
// says what it was about to commit and what it was told was committed.
TEST_F(StoreStress, KilledAtRandomMomentsLosesNothing) {
  constexpr int kKills = 60;
  constexpr int kEntries = 6;
  std::vector<std::string> urls;
  for (int site = 0; site < kEntries; ++site) {
    urls.push_back(SharedUrl(site));
    Put(urls.back());
  }
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> moment(0, 40000);  // microseconds after start-up
  const int journal = open(m_journal.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  ASSERT_GE(journal, 0);
  for (int kill = 0; kill < kKills; ++kill) {
    Signal ready;
    const pid_t child = fork();
    if (child == 0) {
      int boxes = 0;
      CountBoxes(&boxes);
      SiteCacheList list;
      list.Load();
      ready.Send();
      for (int i = 0;; ++i) {
        const std::string& url = urls[size_t(i % kEntries)];
        const std::string value = "k" + std::to_string(kill) + "-" + std::to_string(i);
        Note(journal, "try\t" + url + "\t" + value);
        Note(journal,
             (CommitValue(list, url, value) == 0 ? "ok\t" : "failed\t") + url + "\t" + value);
      }
    }
    ASSERT_TRUE(ready.Wait(30));
    std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
    ::kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
  }
  close(journal);

  // Per URL: the stored value is the last one acknowledged, or one tried after it (the kill
  // came between the store's commit and the journal's "ok").
  std::map<std::string, std::string> acknowledged;
  std::map<std::string, std::set<std::string>> triedSince;
  int commits = 0, failures = 0;
  for (const std::string& line : JournalLines()) {
    const size_t first = line.find('\t'), second = line.find('\t', first + 1);
    const std::string kind = line.substr(0, first);
    const std::string url = line.substr(first + 1, second - first - 1);
    const std::string value = line.substr(second + 1);
    if (kind == "try") {
      triedSince[url].insert(value);
    } else if (kind == "ok") {
      acknowledged[url] = value;
      triedSince[url].clear();
      ++commits;
    } else {
      ++failures;
    }
  }
  EXPECT_EQ(failures, 0);
  EXPECT_GT(commits, kKills);
  const auto stored = StoredValues();
  for (const std::string& url : urls) {
    const std::string value = stored.count(url) ? stored.at(url) : "<lost>";
    const bool expected = value == (acknowledged.count(url) ? acknowledged[url] : "initial") ||
                          triedSince[url].count(value) > 0;
    EXPECT_TRUE(expected) << url << " holds " << value;
  }
  EXPECT_TRUE(LoadProblems(m_urls).empty());
  // Sound, but for files a killed commit had made and not committed: repair removes those.
  for (const std::string& problem : StoreProblems()) {
    EXPECT_EQ(problem.rfind("orphan file: ", 0), 0u) << problem;
  }
  platform::UrlCacheCheck repaired;
  ASSERT_TRUE(platform::RepairUrlCache(repaired));
  EXPECT_EQ(repaired.problems, std::vector<std::string>{});
  std::printf("%d kills, %d commits acknowledged, %d orphans removed\n", kKills, commits,
              repaired.removed);
}

}  // namespace
