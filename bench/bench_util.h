// What the timing programs share: clocks and medians, peak memory, a big
// synthetic scan on disk, and a measurement run in a fresh process.
#pragma once

#include "platform/dib_types.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A field of /proc/self/status in KB ("VmHWM:"); -1 when missing.
inline long StatusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::size_t n = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, n, field) == 0)
            return std::atol(line.c_str() + n + 1);
    return -1;
}

// A 24-bit BMP of stripes and checks, stating pelsPerMetre on both axes.
inline bool WriteBmpScan(const std::string& path, int width, int height, LONG pelsPerMetre) {
    std::FILE* fp = std::fopen(path.c_str(), "wb");
    if (!fp)
        return false;
    const std::size_t stride = std::size_t(width) * 3;
    const std::size_t image = stride * std::size_t(height);
    BITMAPFILEHEADER fh{DIB_FILE_TYPE, DWORD(14 + 40 + image), 0, 0, 14 + 40};
    BITMAPINFOHEADER ih{40, width, height, 1, 24, BI_RGB, DWORD(image), pelsPerMetre,
                        pelsPerMetre, 0, 0};
    std::fwrite(&fh, sizeof fh, 1, fp);
    std::fwrite(&ih, sizeof ih, 1, fp);
    std::vector<BYTE> row(stride);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            row[3 * x] = BYTE(x * 7 + y);
            row[3 * x + 1] = BYTE((x / 16 + y / 16) & 1 ? 200 : 40);
            row[3 * x + 2] = BYTE(y * 3);
        }
        std::fwrite(row.data(), 1, row.size(), fp);
    }
    return std::fclose(fp) == 0;
}

// Runs `self --measure-open path` and returns what it printed (at most a
// line); empty when it could not be run.
inline std::string RunMeasuringChild(const std::string& self, const std::string& path) {
    int pipes[2];
    if (pipe(pipes) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipes[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipes[0]);
    std::string flag = "--measure-open";
    char* argv[] = {const_cast<char*>(self.c_str()), flag.data(), const_cast<char*>(path.c_str()),
                    nullptr};
    pid_t pid;
    const int rc = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipes[1]);
    if (rc != 0) {
        close(pipes[0]);
        return {};
    }
    char text[128] = {};
    const ssize_t n = read(pipes[0], text, sizeof text - 1);
    close(pipes[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return n > 0 ? std::string(text, static_cast<std::size_t>(n)) : std::string();
}

} // namespace bench
