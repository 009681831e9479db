// The tool's commands. Each returns the process exit code.
#pragma once

#include <string>

namespace urlcache {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // the store could not be used, or check found problems
constexpr int kExitUsage = 2;

int List();
int Show(const std::string& url);
// With `repair`, the unreferenced regular files of the cookie folder are removed first.
int Check(bool repair);
int Demo();
int Stores();
// Every cookie of FROM (or those of matching domains) into TO.
int Copy(const std::string& from, const std::string& to, const std::string& domain);
int Backups();
int Restore(const std::string& id);

// "urlcache: <what>: <system text> (<code>) <detail>" on stderr, from the last error.
int ReportFailure(const std::string& what);

}  // namespace urlcache
