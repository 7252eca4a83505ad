// pellum-cli's commands. Each takes its own arguments (after the command name) and returns the
// process exit status: 0 success, 1 a failure the user should hear of, 2 a usage error.
#pragma once

#include <string>
#include <vector>

#include "core/files/SyxFile.h"

namespace pellum::cli {

using Args = std::vector<std::string>;

int listCommand(const Args& args);
int portsCommand(const Args& args);
int sendCommand(const Args& args);
int receiveCommand(const Args& args);
int identifyCommand(const Args& args);
int identityCommand(const Args& args);
int requestCommand(const Args& args);
int convertCommand(const Args& args);
int pickCommand(const Args& args);
int fixCommand(const Args& args);
int diffCommand(const Args& args);

extern const char* const kListHelp;
extern const char* const kPortsHelp;
extern const char* const kSendHelp;
extern const char* const kReceiveHelp;
extern const char* const kIdentifyHelp;
extern const char* const kIdentityHelp;
extern const char* const kRequestHelp;
extern const char* const kConvertHelp;
extern const char* const kPickHelp;
extern const char* const kFixHelp;
extern const char* const kDiffHelp;

// "pellum-cli: <text>" on standard error.
void complain(const std::string& text);

// What loading `path` left out or closed, on standard error.
void tellLoadNotes(const std::string& path, const LoadResult& loaded);

// `a` and `b` name one file, `b` perhaps not there yet.
bool sameFile(const std::string& a, const std::string& b);

}  // namespace pellum::cli
