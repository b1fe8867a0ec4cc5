// What the timing programs share: clocks and medians, the memcpy frame the
// ratios are measured against, peak memory, big synthetic scans (on disk and
// in memory), a traced board spread over a scan, and a measurement run in a
// fresh process.
#pragma once

#include "board/dib_view.h"
#include "board/params.h"
#include "image/dib_doc.h"
#include "platform/dib_types.h"
#include "platform/global_memory.h"
#include "platform/scripted/scripted_services.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
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

// The median time of a memcpy of one 32-bit frame of width x height pixels,
// over `runs` copies: the unit the frame figures are given in.
inline double MemcpyFrameMs(int width, int height, int runs) {
    std::vector<std::uint32_t> from(std::size_t(width) * std::size_t(height), 0x01020304u);
    std::vector<std::uint32_t> to(from.size());
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        std::memcpy(to.data(), from.data(), from.size() * 4);
        times.push_back(Millis(Clock::now() - start));
        // Each copy reads what the last one wrote, so none is left out.
        from[std::size_t(i) % from.size()] = to[(std::size_t(i) * 7) % to.size()] + 1;
    }
    return Median(times);
}

// A field of /proc/self/status in KB ("VmHWM:"); -1 when missing.
// Opens a scan as a document with scripted services; the time it took, in
// milliseconds (it says so on stderr when the open failed).
inline double TimedDocumentOpen(const std::string& path) {
    ScriptedServices services;
    const auto start = Clock::now();
    auto doc = std::make_unique<CDibDoc>();
    const bool ok = doc->OnOpenDocument(path);
    const double ms = Millis(Clock::now() - start);
    if (!ok)
        std::fprintf(stderr, "open failed\n");
    return ms;
}

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

// The brightness of scan pixel (x, y): stripes and checks, with thin dark
// traces (1 to 3 pixels wide) every few hundred pixels each way.
inline BYTE StructuredBrightness(int x, int y, int channel) {
    if (x % 97 < 1 + (y / 500) % 3 || y % 131 < 1 + (x / 700) % 3)
        return BYTE(20 + channel * 10);
    const int check = ((x / 16 + y / 16) & 1) ? 200 : 150;
    return BYTE(check + ((x * (3 + channel) + y * 5) & 31));
}

// A bottom-up scan in memory as a document holds it, 24-bit colour or
// 8-bit grey, of StructuredBrightness; null when there is no memory for it.
inline HGLOBAL MakeStructuredScan(int width, int height, int bitCount) {
    const std::size_t stride = (std::size_t(width) * bitCount / 8 + 3) / 4 * 4;
    const std::size_t table = bitCount == 8 ? 1024 : 0;
    const std::size_t image = stride * std::size_t(height);
    HGLOBAL dib = GlobalAlloc(GHND, sizeof(BITMAPINFOHEADER) + table + image);
    if (!dib)
        return nullptr;
    auto* p = static_cast<BYTE*>(GlobalLock(dib));
    const BITMAPINFOHEADER header{40, width, height, 1, WORD(bitCount), BI_RGB,
                                  DWORD(image), 39370, 39370, bitCount == 8 ? 256u : 0u, 0};
    std::memcpy(p, &header, sizeof header);
    for (std::size_t i = 0; i < table / 4; ++i)
        std::memset(p + sizeof header + 4 * i, int(i), 3);
    BYTE* bits = p + sizeof header + table;
    for (int y = 0; y < height; ++y) {
        BYTE* row = bits + std::size_t(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x)
            if (bitCount == 8)
                row[x] = StructuredBrightness(x, y, 1);
            else
                for (int c = 0; c < 3; ++c)
                    row[3 * x + c] = StructuredBrightness(x, y, c);
    }
    GlobalUnlock(dib);
    return dib;
}

// Fills the view's board to capacity over a width x height scan, the view
// at zoom 1: pads at random points, tracks from a random point to a
// neighbour within 200 pixels on random layers 1-12, as a traced board's.
inline void FillBoard(CDibView& view, int width, int height) {
    std::mt19937 rng(42);
    std::uniform_real_distribution<float> x(0, float(width)), y(0, float(height));
    std::uniform_real_distribution<float> step(-200, 200);
    std::uniform_int_distribution<int> layer(1, kLayerCount);
    while (view.m_nPadCount < g_nMaxItems)
        view.AppendPad(std::floor(x(rng)), std::floor(y(rng)));
    while (view.m_nTrackCount < g_nMaxItems) {
        const float x1 = std::floor(x(rng)), y1 = std::floor(y(rng));
        view.AppendTrack(x1, y1, x1 + std::floor(step(rng)), y1 + std::floor(step(rng)),
                         layer(rng));
    }
}

// Runs `self flag argument` (--measure-open path by default) and returns what
// it printed (at most a line); empty when it could not be run.
inline std::string RunMeasuringChild(const std::string& self, const std::string& path,
                                     std::string flag = "--measure-open") {
    int pipes[2];
    if (pipe(pipes) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipes[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipes[0]);
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
