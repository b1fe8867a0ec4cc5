// The commands of tracevu-cli. Each gets the arguments from its own name on
// (argv[0] is the command's name) and returns the exit status: 0 success,
// 1 bad input, 2 bad usage.
#pragma once

int RunExportProtel(int argc, char** argv);
int RunImportProtel(int argc, char** argv);
int RunInfo(int argc, char** argv);
int RunRender(int argc, char** argv);

constexpr int kExitOk = 0;
constexpr int kExitBadInput = 1;
constexpr int kExitUsage = 2;
