// The built programs' command lines, run as a user runs them: no display unless Qt is told to
// use its offscreen platform on the command line itself.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct ProgramRun {
  int status = -1;
  std::string out, err;
};

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tolvane-cmdline-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_dir = pattern;
    // As in a desktop session; without it Qt warns on stderr.
    fs::create_directory(m_dir / "runtime");
    fs::permissions(m_dir / "runtime", fs::perms::owner_all);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
  }

  // Runs build/PROGRAM with ARGUMENTS (shell words), no display and a home of its own, so no
  // run can reach the user's store; ENV (assignments) is added.
  ProgramRun Program(const std::string& program, const std::string& arguments,
                     const std::string& env = "") const {
    const fs::path err = m_dir / "stderr";
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME='" +
                                m_dir.string() + "' XDG_DATA_HOME='" + (m_dir / "data").string() +
                                "' XDG_RUNTIME_DIR='" + (m_dir / "runtime").string() + "' " + env +
                                " '" TOLVANE_BINARY_DIR "/" + program + "' " + arguments + " 2>'" +
                                err.string() + "'";
    ProgramRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) run.out.append(chunk, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = Slurp(err);
    return run;
  }

  fs::path m_dir;
};

TEST_F(CommandLine, OptionsExitStatusesAndTexts) {
  const std::string version = TOLVANE_VERSION;
  const struct {
    const char* program;
    const char* arguments;
    int status;
    std::string outStart;  // stdout starts with it ("" for nothing at all)
    std::string errStart;  // stderr starts with it ("" for nothing at all)
  } cases[] = {
      {"tolvane", "--help", 0, "Usage: tolvane [OPTION]... [LOCATION]\n", ""},
      {"tolvane", "-h", 0, "Usage: tolvane [OPTION]... [LOCATION]\n", ""},
      {"tolvane", "--version", 0, "tolvane (Tolvane) " + version + "\n", ""},
      {"tolvane", "-platform offscreen --version", 0, "tolvane (Tolvane) " + version + "\n", ""},
      {"tolvane", "--bogus", 2, "", "tolvane: unknown option --bogus\nUsage: tolvane"},
      {"tolvane", "--help=yes", 2, "", "tolvane: unknown option --help=yes\n"},
      {"tolvane", "-platform offscreen -bogus", 2, "", "tolvane: unknown option -bogus\n"},
      {"tolvane", "-platform offscreen one two", 2, "", "tolvane: more than one LOCATION: two\n"},
      {"tolvane", "-platform offscreen ''", 2, "", "tolvane: empty LOCATION\n"},
      {"urlcache", "--version", 0, "urlcache (Tolvane) " + version + "\n", ""},
      {"urlcache", "--version list", 0, "urlcache (Tolvane) " + version + "\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.program) + " " + c.arguments);
    const ProgramRun run = Program(c.program, c.arguments);
    EXPECT_EQ(run.status, c.status);
    if (c.outStart.empty()) {
      EXPECT_EQ(run.out, "");
    } else {
      EXPECT_EQ(run.out.substr(0, c.outStart.size()), c.outStart) << run.out;
    }
    if (c.errStart.empty()) {
      EXPECT_EQ(run.err, "");
    } else {
      EXPECT_EQ(run.err.substr(0, c.errStart.size()), c.errStart) << run.err;
    }
  }
}

TEST_F(CommandLine, HelpTextsNameEveryOptionTheProgramsTake) {
  // The man pages are made from these texts: what is missing here is missing there.
  const ProgramRun tolvane = Program("tolvane", "--help");
  for (const char* option : {"-h, --help", "--version", "LOCATION", "-platform NAME",
                             "TOLVANE_URLCACHE", "TOLVANE_SCREENSHOT", "Exit status:"}) {
    EXPECT_NE(tolvane.out.find(option), std::string::npos) << option;
  }
  const ProgramRun urlcache = Program("urlcache", "--help");
  for (const char* option : {"-h, --help", "--version", "--store", "Commands:", "Exit status:"}) {
    EXPECT_NE(urlcache.out.find(option), std::string::npos) << option;
  }
}

TEST_F(CommandLine, QtOptionsReachQtAndTheLocationReachesTheProgram) {
  // -platform offscreen on the command line is the only reason these runs find a screen.
  const fs::path store = m_dir / "store";
  fs::create_directory(store);
  const struct {
    const char* name;
    std::string arguments, env;
    int status;
    bool shot;
  } cases[] = {
      {"store from the environment", "-platform offscreen",
       "TOLVANE_URLCACHE='" + store.string() + "'", 0, true},
      {"store named on the command line", "-platform offscreen '" + store.string() + "'",
       "TOLVANE_URLCACHE=", 0, true},
      // The program says it cannot open it and ends; the screenshot run pictures that box.
      {"missing store named on the command line",
       "-platform offscreen '" + (m_dir / "missing").string() + "'", "TOLVANE_URLCACHE=", 1, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path shot = m_dir / "shot.png";
    fs::remove(shot);
    const ProgramRun run =
        Program("tolvane", c.arguments, c.env + " TOLVANE_SCREENSHOT='" + shot.string() + "'");
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(Slurp(shot).substr(0, 8), c.shot ? "\x89PNG\r\n\x1a\n" : "");
  }
}

}  // namespace
