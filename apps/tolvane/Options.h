// The program's own command-line options. Qt takes its single-dash options (-platform NAME,
// -style NAME, ...) when the application object is made; what is left is the store to open.
#pragma once

#include <optional>

namespace tolvane {

/**
 * Before Qt sees the command line, so that it works without a display: --help and --version
 * print and give 0, any other "--" option is wrong usage (2). Nothing when the program runs.
 */
std::optional<int> HandleEarlyOptions(int argc, char** argv);

/**
 * After Qt has removed its own options: at most one LOCATION and no option may be left.
 * Nothing when so; else the usage error is printed and its exit status given.
 */
std::optional<int> CheckRemainingArguments(int argc, char** argv);

}  // namespace tolvane
