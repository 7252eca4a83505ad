// Lines of a file as the user names them on the command line: "1,3-5", counted from 1 as
// 'pellum-cli list' numbers them.
#pragma once

#include <string>
#include <vector>

namespace pellum::cli {

// The rows (from 0) that `lines` names in a file of `count` messages, in the file's order and
// each once. Throws UsageError naming the part of `lines` that is not a number or a range, and
// PellumError naming a line the file does not have. `command` begins each text.
std::vector<int> chosenLines(const std::string& command, const std::string& lines, int count);

}  // namespace pellum::cli
