// Pieces the export and import commands share: messages, reading the scan
// settings from the command line, and the files.
#pragma once

#include "cli/args.h"
#include "exchange/board_data.h"

#include <optional>
#include <string>
#include <string_view>

// Prints "tracevu-cli COMMAND: message" on standard error.
void PrintError(const char* command, const std::string& message);
// Prints the usage on standard error and returns the usage exit status.
int UsageError(const char* command, const std::string& message, const char* usage);

// The scan's size and resolution from --image or --image-size and
// --scan-lines.
struct ScanSettings {
    int imageWidth = 0;
    int imageHeight = 0;
    ScanLines scanLines;
};
// Nothing when the options are wrong; `status` then says whether the usage
// (2) or the image (1) was at fault, and the error has been printed.
std::optional<ScanSettings> ReadScanSettings(const char* command, const CommandLine& line,
                                             const char* usage, int& status);

// Reads a file; prints the program's read error when it cannot, or when
// `isOfItsKind` says the text is some other kind of file.
std::optional<std::string> ReadInputFile(const char* command, const std::string& path,
                                         bool (*isOfItsKind)(std::string_view) = nullptr);
// Writes a file through a temporary file; prints the program's write error
// when it cannot.
bool WriteOutputFile(const char* command, const std::string& path, const std::string& text);
// Keeps the board within the program's capacity and prints what a reader
// had to leave out, as the program would show it.
void ReportRead(const char* command, BoardData& board, ReadReport& report);
