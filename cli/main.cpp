// tracevu-cli: the board files from the command line, with the program's own
// readers and writers.
#include "cli/commands.h"
#include "cli/console_services.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr const char* kUsage =
    "usage: tracevu-cli COMMAND [OPTIONS] ARGS...\n"
    "Commands:\n"
    "  export-protel  write a work file (.dpb) as a Protel PCB ASCII file (.pcb)\n"
    "  import-protel  read a Protel PCB ASCII file over a scan into a work file\n"
    "  info           show what the program reads from a scan (.bmp)\n"
    "  render         draw a work file over its scan\n"
    "Run \"tracevu-cli COMMAND --help\" for a command's arguments.\n";

struct Command {
    const char* name;
    int (*run)(int, char**);
};
constexpr Command kCommands[] = {
    {"export-protel", RunExportProtel},
    {"import-protel", RunImportProtel},
    {"info", RunInfo},
    {"render", RunRender},
};
} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
        std::strcmp(argv[1], "help") == 0) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    // Messages the shared code would show in a box go to standard error.
    ConsoleServices services;
    for (const Command& command : kCommands)
        if (std::strcmp(argv[1], command.name) == 0)
            return command.run(argc - 1, argv + 1);
    std::fprintf(stderr, "tracevu-cli: unknown command \"%s\"\n", argv[1]);
    std::fputs(kUsage, stderr);
    return kExitUsage;
}
