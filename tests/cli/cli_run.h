// Runs tracevu-cli as a separate program and collects what it printed.
#pragma once

#include "exchange/text_lines.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <vector>

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string CliPath() {
    return TRACEVU_BINARY_DIR "/cli/tracevu-cli";
}

inline std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs in the current directory; arguments are passed as given.
inline CliResult RunCli(const std::vector<std::string>& args) {
    std::string command = Quote(CliPath());
    for (const std::string& arg : args)
        command += " " + Quote(arg);
    command += " >cli.out 2>cli.err";
    CliResult result;
    const int raw = std::system(command.c_str());
    if (raw != -1 && WIFEXITED(raw))
        result.status = WEXITSTATUS(raw);
    ReadWholeFile("cli.out", result.out);
    ReadWholeFile("cli.err", result.err);
    std::remove("cli.out");
    std::remove("cli.err");
    return result;
}

// Writes a file for the program to read, byte for byte.
inline void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A file the program wrote, whole.
inline std::string Slurp(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(path, bytes)) << path;
    return bytes;
}
