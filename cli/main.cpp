// pellum-cli: Pellum's command-line companion. It shares the window's logic (the .syx reader,
// the list labels) so what it prints is what the window shows.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "cli/Commands.h"

namespace {

const char* const kUsage =
    "Usage: pellum-cli COMMAND [ARGS...]\n"
    "\n"
    "Pellum's command-line companion for MIDI System Exclusive (.syx) files.\n"
    "\n"
    "Commands:\n"
    "  list FILE...   print the SysEx list lines that loading each file shows\n"
    "\n"
    "Run 'pellum-cli COMMAND --help' for a command's options.\n";

struct Command {
    const char* name;
    int (*run)(const pellum::cli::Args&);
    const char* const* help;
};

const Command kCommands[] = {
    {"list", pellum::cli::listCommand, &pellum::cli::kListHelp},
};

}  // namespace

namespace pellum::cli {
void complain(const std::string& text) {
    std::fprintf(stderr, "pellum-cli: %s\n", text.c_str());
}
}  // namespace pellum::cli

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    for (const Command& command : kCommands) {
        if (name != command.name) continue;
        pellum::cli::Args args(argv + 2, argv + argc);
        for (const std::string& arg : args) {
            if (arg == "--help" || arg == "-h") {
                std::fputs(*command.help, stdout);
                return 0;
            }
        }
        try {
            return command.run(args);
        } catch (const std::exception& e) {
            pellum::cli::complain(e.what());
            return 1;
        }
    }
    pellum::cli::complain("unknown command '" + name + "' (see 'pellum-cli --help')");
    return 2;
}
