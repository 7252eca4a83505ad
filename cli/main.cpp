// pellum-cli: Pellum's command-line companion. It shares the window's logic (the .syx reader,
// the list labels) so what it prints is what the window shows.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
// After <windows.h>, which it needs.
#include <shellapi.h>
#endif

#include "cli/Commands.h"
#include "cli/Options.h"
#include "pellum/Version.h"
#include "platform/midi/WideText.h"  // Windows only

namespace {

const char* const kUsage =
    "Usage: pellum-cli COMMAND [ARGS...]\n"
    "\n"
    "Pellum's command-line companion for MIDI System Exclusive (.syx) files, and for the\n"
    "SysEx messages in Standard MIDI Files (.mid, .midi).\n"
    "\n"
    "Commands:\n"
    "  list FILE...                 print the SysEx list lines that loading each file shows\n"
    "  convert IN OUT               write IN's SysEx as OUT, .syx or .mid by its extension\n"
    "  pick FILE LINES -o OUT       write the messages on LINES (1,3-5) of FILE to OUT\n"
    "  fix FILE -o OUT              write FILE's messages with every known checksum right;\n"
    "                               with --check, only say which are wrong\n"
    "  diff A B                     which messages and bytes of two files differ\n"
    "  ports                        list the MIDI input and output devices\n"
    "  send FILE --out X            send each message of a .syx or .mid file to an output\n"
    "                               device (or messages typed with --hex)\n"
    "  receive FILE --in X          save the SysEx an input device receives, as .syx, or\n"
    "                               as .mid with the times it came\n"
    "  identify --in X --out X      ask an instrument who it is (Identity Request)\n"
    "  identity HEX...              show the System Information of an Identity Reply\n"
    "  request FILE.cfg             show a request file's entries and a request's bytes;\n"
    "                               with --send, send it and capture the answer\n"
    "\n"
    "Run 'pellum-cli COMMAND --help' for a command's options; 'pellum-cli --version' prints\n"
    "the version.\n";

struct Command {
    const char* name;
    int (*run)(const pellum::cli::Args&);
    const char* const* help;
};

const Command kCommands[] = {
    {"list", pellum::cli::listCommand, &pellum::cli::kListHelp},
    {"convert", pellum::cli::convertCommand, &pellum::cli::kConvertHelp},
    {"pick", pellum::cli::pickCommand, &pellum::cli::kPickHelp},
    {"fix", pellum::cli::fixCommand, &pellum::cli::kFixHelp},
    {"diff", pellum::cli::diffCommand, &pellum::cli::kDiffHelp},
    {"ports", pellum::cli::portsCommand, &pellum::cli::kPortsHelp},
    {"send", pellum::cli::sendCommand, &pellum::cli::kSendHelp},
    {"receive", pellum::cli::receiveCommand, &pellum::cli::kReceiveHelp},
    {"identify", pellum::cli::identifyCommand, &pellum::cli::kIdentifyHelp},
    {"identity", pellum::cli::identityCommand, &pellum::cli::kIdentityHelp},
    {"request", pellum::cli::requestCommand, &pellum::cli::kRequestHelp},
};

}  // namespace

namespace pellum::cli {
void complain(const std::string& text) {
    std::fprintf(stderr, "pellum-cli: %s\n", text.c_str());
}
}  // namespace pellum::cli

namespace {

int run(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (name == "--version") {
        std::puts("pellum-cli " PELLUM_VERSION_TEXT);
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
        } catch (const pellum::cli::UsageError& e) {
            pellum::cli::complain(std::string(e.what()) + " (see 'pellum-cli " + name +
                                  " --help')");
            return 2;
        } catch (const std::exception& e) {
            pellum::cli::complain(e.what());
            return 1;
        }
    }
    pellum::cli::complain("unknown command '" + name + "' (see 'pellum-cli --help')");
    return 2;
}

// What a command printed may still sit in the buffer: a full disk or a closed pipe shows only
// when it is flushed, and output that never arrived is a failure, whatever the command thought.
int checkStandardOutput(int status) {
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
    const int error = errno;
    pellum::cli::complain(std::string("cannot write to standard output") +
                          (error != 0 ? std::string(": ") + std::strerror(error) : std::string()));
    return status == 0 ? 1 : status;
}

}  // namespace

#if defined(_WIN32)
// The arguments as UTF-8, the program's text everywhere: the narrow argv of Windows is in the
// machine's code page and loses every character outside it, file names included.
int main() {
    int argc = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(pellum::midi::utf8FromWide(wide[i]));
    LocalFree(wide);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    // Messages are UTF-8: a console shows them as such.
    SetConsoleOutputCP(CP_UTF8);
    return checkStandardOutput(run(argc, argv.data()));
}
#else
int main(int argc, char** argv) {
    return checkStandardOutput(run(argc, argv));
}
#endif
