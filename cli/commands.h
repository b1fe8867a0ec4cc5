// The commands of tracevu-cli. Each returns the exit status: 0 success,
// 1 bad input, 2 bad usage.
#pragma once

int RunExportProtel(int argc, char** argv);
int RunImportProtel(int argc, char** argv);
int RunInfo(int argc, char** argv);
int RunRender(int argc, char** argv);
