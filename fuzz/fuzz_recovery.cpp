// The recovery readers on arbitrary bytes: the manifest before the first
// 0x01 byte, the board after it. What either takes in must be written again
// and read back unchanged, bit for bit.
#include "exchange/recovery_board.h"
#include "exchange/recovery_manifest.h"
#include "exchange/work_file.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {
void Check(bool condition) {
    if (!condition)
        std::abort();
}

void ManifestRoundTrip(const RecoveryManifest& m) {
    std::string error;
    const auto back = ParseRecoveryManifest(FormatRecoveryManifest(m), error);
    Check(back && back->imagePath == m.imagePath && back->scanLinesX == m.scanLinesX &&
          back->scanLinesY == m.scanLinesY && back->scale == m.scale &&
          back->savedAt == m.savedAt && back->revision == m.revision && back->pads == m.pads &&
          back->tracks == m.tracks && back->projectPath == m.projectPath &&
          back->projectState == m.projectState);
}

void BoardRoundTrip(const BoardData& board, const RecoveryManifest& m) {
    const auto text = FormatRecoveryBoard(SpanOf(board), m.scale, m.revision);
    Check(text.has_value());
    std::string error;
    const auto back = ParseRecoveryBoard(*text, m, error);
    Check(back && back->pads.size() == board.pads.size() &&
          back->tracks.size() == board.tracks.size());
    Check(board.pads.empty() ||
          std::memcmp(back->pads.data(), board.pads.data(), board.pads.size() * sizeof(Pad)) == 0);
    Check(board.tracks.empty() || std::memcmp(back->tracks.data(), board.tracks.data(),
                                              board.tracks.size() * sizeof(Track)) == 0);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\x01');
    const std::string_view manifestText = input.substr(0, split);
    const std::string_view boardText =
        split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    std::string error;
    auto manifest = ParseRecoveryManifest(manifestText, error);
    Check(manifest.has_value() == error.empty());
    if (manifest) {
        ManifestRoundTrip(*manifest);
    } else {
        // Counts that match the board's work-file records, so that the exact
        // records are read too.
        manifest.emplace();
        ReadReport report;
        const BoardData work = ParseWorkFile(boardText, 1, report);
        manifest->pads = static_cast<int>(work.pads.size());
        manifest->tracks = static_cast<int>(work.tracks.size());
        const std::size_t revision = boardText.rfind("XR ");
        if (revision != std::string_view::npos)
            manifest->revision = std::strtoull(std::string(boardText.substr(revision + 3)).c_str(),
                                               nullptr, 10);
    }
    error.clear();
    if (const auto board = ParseRecoveryBoard(boardText, *manifest, error))
        BoardRoundTrip(*board, *manifest);
    else
        Check(!error.empty());
    return 0;
}
