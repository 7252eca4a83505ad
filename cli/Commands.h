// pellum-cli's commands. Each takes its own arguments (after the command name) and returns the
// process exit status: 0 success, 1 a failure the user should hear of, 2 a usage error.
#pragma once

#include <string>
#include <vector>

namespace pellum::cli {

using Args = std::vector<std::string>;

int listCommand(const Args& args);

extern const char* const kListHelp;

// "pellum-cli: <text>" on standard error.
void complain(const std::string& text);

}  // namespace pellum::cli
