// cookies.txt with the real programs that read and write it: curl, wget and Python's
// http.cookiejar. A loopback server (127.0.0.1 only, bounded) sets cookies and echoes what it is
// sent; Tolvane edits a jar through the catalogue exactly as the window does.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "model/SiteCacheList.h"
#include "model/TimeText.h"
#include "platform/Hooks.h"
#include "support/KindStore.h"

namespace tolvane::test {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Runs a shell command; its standard output, and its status in `status`.
std::string Shell(const std::string& command, int* status = nullptr) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    const int result = ::pclose(pipe);
    if (status != nullptr) *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
  }
  return out;
}

bool Have(const char* program) {
  int status = 0;
  Shell(std::string("command -v ") + program + " >/dev/null 2>&1", &status);
  return status == 0;
}

// The loopback server, for a bounded number of requests and at most a minute.
class CookieServer {
 public:
  CookieServer() {
    const std::string script = std::string(TOLVANE_SOURCE_DIR) + "/tests/peers/cookie_server.py";
    m_pipe = ::popen(("python3 '" + script + "' --max-requests 20 --timeout 60").c_str(), "r");
    char line[32] = {};
    if (m_pipe != nullptr && std::fgets(line, sizeof line, m_pipe) != nullptr) m_port = line;
    while (!m_port.empty() && m_port.back() == '\n') m_port.pop_back();
  }
  ~CookieServer() {
    // It ends by itself at its request bound or its time; asked, it ends now.
    if (!m_port.empty()) Shell("curl -s -o /dev/null --max-time 2 " + Url("localhost", "/stop"));
    if (m_pipe != nullptr) ::pclose(m_pipe);
  }
  bool Running() const { return !m_port.empty(); }
  std::string Url(const std::string& host, const std::string& path) const {
    return "http://" + host + ":" + m_port + path;
  }
  const std::string& Port() const { return m_port; }

 private:
  FILE* m_pipe = nullptr;
  std::string m_port;
};

class PeerTools : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* program : {"curl", "wget", "python3"}) {
      if (!Have(program)) GTEST_SKIP() << program << " is not installed (scripts/setup.sh does)";
    }
    ASSERT_TRUE(m_server.Running());
    platform::SetMessageBoxHandler([this](HWND, const char* text, const char*, UINT) {
      m_boxes.push_back(text ? text : "");
      return IDOK;
    });
    g_bGmtMode = 1;
  }
  void TearDown() override { platform::SetMessageBoxHandler(nullptr); }

  // Opens the jar, changes one cookie's value through the catalogue and commits the entry.
  void EditThroughTheModel(const std::string& jar, const std::string& site, const std::string& name,
                           const std::string& value) {
    platform::SetStoreLocation(jar);
    SiteCacheList list;
    ASSERT_GT(list.Load(), 0) << platform::LastUrlCacheErrorDetail();
    SiteCache* entry = list.FindEntry(CString(KindStore::UrlFor(site, "/")));
    ASSERT_NE(entry, nullptr) << site;
    PersetCookie* cookie = nullptr;
    for (int i = 0; i < entry->GetSize(); ++i) {
      if (entry->GetVariable(i)->m_strName == name.c_str()) cookie = entry->GetVariable(i);
    }
    ASSERT_NE(cookie, nullptr) << name;
    cookie->m_strValue = value.c_str();
    cookie->m_nState = kStateModified;
    entry->m_nState = kStateModified;
    ASSERT_EQ(list.CommitEntry(entry, true), 0) << platform::LastUrlCacheErrorDetail();
    EXPECT_TRUE(m_boxes.empty());
  }

  // How many cookies Python's strictest reader takes from the file; -1 when it refuses it.
  static int PythonLoads(const std::string& jar) {
    int status = 0;
    const std::string out = Shell(
        "python3 -c 'import http.cookiejar,sys; j=http.cookiejar.MozillaCookieJar(sys.argv[1]);"
        " j.load(ignore_discard=True, ignore_expires=True); print(len(j))' '" +
            jar + "' 2>&1",
        &status);
    return status == 0 ? std::atoi(out.c_str()) : -1;
  }

  KindStore m_store{StoreKinds()[0]};  // a private folder and state folder for the jars
  CookieServer m_server;
  std::vector<std::string> m_boxes;
};

TEST_F(PeerTools, CurlSendsTheValueEditedInTolvaneAndOnlyThatLineChanged) {
  const std::string jar = m_store.Folder() + "/curl.txt";
  const std::string host = "www.site.localhost";
  Shell("curl -s -o /dev/null -c '" + jar + "' " + m_server.Url(host, "/set"));
  const std::string before = ReadAll(jar);
  ASSERT_NE(before.find("\tlasting\tone"), std::string::npos) << before;

  EditThroughTheModel(jar, host, "lasting", "edited%20by%20tolvane");

  const std::string sent = Shell("curl -s -b '" + jar + "' " + m_server.Url(host, "/echo"));
  EXPECT_NE(sent.find("lasting=edited%20by%20tolvane"), std::string::npos) << sent;
  EXPECT_NE(sent.find("session=two"), std::string::npos) << sent;
  EXPECT_NE(sent.find("httponly=three"), std::string::npos) << sent;
  // diff: the one line changed, every other byte in its place.
  const std::vector<std::string> old = Lines(before), now = Lines(ReadAll(jar));
  ASSERT_EQ(old.size(), now.size());
  int changed = 0;
  for (size_t i = 0; i < old.size(); ++i) {
    if (old[i] == now[i]) continue;
    ++changed;
    EXPECT_NE(now[i].find("\tlasting\tedited%20by%20tolvane"), std::string::npos) << now[i];
  }
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(PythonLoads(jar), int(std::count(before.begin(), before.end(), '\t') / 6));
}

TEST_F(PeerTools, WgetSendsTheValueEditedInTolvane) {
  const std::string jar = m_store.Folder() + "/wget.txt";
  Shell("wget -q -O /dev/null --save-cookies '" + jar + "' --keep-session-cookies " +
        m_server.Url("localhost", "/set"));
  ASSERT_NE(ReadAll(jar).find("\tlasting\tone"), std::string::npos) << ReadAll(jar);
  // wget names the host with its port.
  EditThroughTheModel(jar, "localhost:" + m_server.Port(), "lasting", "edited");
  const std::string sent =
      Shell("wget -q -O - --load-cookies '" + jar + "' " + m_server.Url("localhost", "/echo"));
  EXPECT_NE(sent.find("lasting=edited"), std::string::npos) << sent;
  EXPECT_GT(PythonLoads(jar), 0);
}

TEST_F(PeerTools, PythonLoadsWhatUrlcacheCopiesFromTheDemoStore) {
  const std::string tool = std::string(TOLVANE_BINARY_DIR) + "/urlcache";
  const std::string own = m_store.Folder() + "/own";
  const std::string jar = m_store.Folder() + "/copied.txt";
  int status = 0;
  Shell("'" + tool + "' --store 'urlcache:" + own + "' demo >/dev/null", &status);
  ASSERT_EQ(status, 0);
  // Cookies a cookies.txt cannot hold are named and left out; the rest is copied.
  const std::string out = Shell("'" + tool + "' copy '" + own + "' '" + jar + "' 2>/dev/null");
  EXPECT_NE(out.find("cookies copied"), std::string::npos) << out;
  const int loaded = PythonLoads(jar);
  EXPECT_GT(loaded, 40);
  EXPECT_EQ(loaded, std::atoi(out.c_str()));
  // Copied again: the same cookies replace themselves, Python still takes every line.
  Shell("'" + tool + "' copy '" + own + "' '" + jar + "' 2>/dev/null");
  EXPECT_EQ(PythonLoads(jar), loaded);
}

}  // namespace
}  // namespace tolvane::test
