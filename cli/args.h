// Command-line parsing shared by the commands.
#pragma once

#include "board/scan_lines.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

struct CommandLine {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options; // "--name" -> value
    bool help = false;

    const std::string* Option(const std::string& name) const;
};

// Parses "--name value" and "--name=value" for the options named, "--help"
// and "-h", and positional arguments ("--" ends the options). Nothing, with
// `error` set, for an unknown option or a missing value.
std::optional<CommandLine> ParseCommandLine(int argc, char** argv,
                                            const std::vector<std::string>& valueOptions,
                                            std::string& error);

// "X" (both directions) or "X,Y", whole numbers greater than 0.
std::optional<ScanLines> ParseScanLines(const std::string& text);

struct ImageSize {
    int width = 0;
    int height = 0;
};
// "WxH", whole numbers greater than 0.
std::optional<ImageSize> ParseImageSize(const std::string& text);
