#include "exchange/recovery_board.h"

#include "board/params.h"
#include "exchange/text_lines.h"
#include "exchange/work_file.h"

#include <charconv>
#include <cmath>

namespace {
void AppendFloats(std::string& out, std::string_view keyword, std::initializer_list<float> values) {
    out += keyword;
    char buffer[32];
    for (const float v : values) {
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
        out += ' ';
        out.append(buffer, end);
    }
    out += "\r\n";
}

// Reads exactly `count` numbers separated by blanks after the keyword.
bool ReadFloats(std::string_view line, float* values, int count) {
    const char* p = line.data() + 2;
    const char* end = line.data() + line.size();
    for (int i = 0; i < count; ++i) {
        if (p == end || *p != ' ')
            return false;
        const auto [next, result] = std::from_chars(p + 1, end, values[i]);
        if (result != std::errc() || !std::isfinite(values[i]))
            return false;
        p = next;
    }
    return p == end;
}

// The exact value must be what the work-file record holds, up to its
// truncation to whole pixels.
bool Agrees(float exact, float fromWorkFile, ZoomFactor scale) {
    int pixels = 0;
    float stored = 0;
    return WithinBoardLimit(exact, scale) && WorkFileValue(exact, scale, pixels) &&
           StoredFromWorkFile(pixels, scale, stored) && stored == fromWorkFile;
}

bool Agrees(const Pad& exact, const Pad& work, ZoomFactor scale) {
    return Agrees(exact.x, work.x, scale) && Agrees(exact.y, work.y, scale);
}

bool Agrees(const Track& exact, const Track& work, ZoomFactor scale) {
    return Agrees(exact.x1, work.x1, scale) && Agrees(exact.y1, work.y1, scale) &&
           Agrees(exact.x2, work.x2, scale) && Agrees(exact.y2, work.y2, scale) &&
           Agrees(exact.layer, work.layer, 1);
}

struct ExactRecords {
    BoardData board;
    bool revisionSeen = false;
    std::uint64_t revision = 0;
};

// The X lines; false with the error at the first damaged one.
bool ReadExactRecords(std::string_view text, ExactRecords& records, std::string& error) {
    LineCursor lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        if (!line.starts_with('X'))
            continue;
        bool taken = !records.revisionSeen; // nothing may follow the revision
        if (taken && line.starts_with("XP")) {
            float v[2] = {};
            taken = ReadFloats(line, v, 2);
            records.board.pads.push_back({v[0], v[1]});
        } else if (taken && line.starts_with("XT")) {
            float v[5] = {};
            taken = ReadFloats(line, v, 5);
            records.board.tracks.push_back({v[0], v[1], v[2], v[3], v[4]});
        } else if (taken && line.starts_with("XR ")) {
            const std::string_view number = line.substr(3);
            const auto [end, result] =
                std::from_chars(number.data(), number.data() + number.size(), records.revision);
            taken = result == std::errc() && end == number.data() + number.size();
            records.revisionSeen = true;
        } else {
            taken = false;
        }
        if (!taken) {
            error = "line " + std::to_string(lines.LineNumber()) + " is damaged";
            return false;
        }
    }
    return true;
}

template <typename Item>
bool AllAgree(const std::vector<Item>& exact, const std::vector<Item>& work, ZoomFactor scale) {
    for (std::size_t i = 0; i < exact.size(); ++i)
        if (!Agrees(exact[i], work[i], scale))
            return false;
    return true;
}

float Rescaled(float value, ZoomFactor fromScale, ZoomFactor toScale) {
    return fromScale.ConvertTo(value, toScale);
}
} // namespace

std::optional<std::string> FormatRecoveryBoard(BoardSpan board, ZoomFactor scale,
                                               std::uint64_t revision) {
    auto text = FormatWorkFile(board, scale);
    if (!text)
        return std::nullopt;
    for (const Pad& p : board.pads)
        AppendFloats(*text, "XP", {p.x, p.y});
    for (const Track& t : board.tracks)
        AppendFloats(*text, "XT", {t.x1, t.y1, t.x2, t.y2, t.layer});
    *text += "XR " + std::to_string(revision) + "\r\n";
    return text;
}

std::optional<BoardData> ParseRecoveryBoard(std::string_view text, const RecoveryManifest& manifest,
                                            std::string& error) {
    const auto pads = static_cast<std::size_t>(manifest.pads);
    const auto tracks = static_cast<std::size_t>(manifest.tracks);
    ReadReport report;
    const BoardData work = ParseWorkFile(text, manifest.scale, report);
    if (!report.Clean() || work.pads.size() != pads || work.tracks.size() != tracks) {
        error = "its pads and tracks are not those its manifest counts";
        return std::nullopt;
    }
    ExactRecords exact;
    if (!ReadExactRecords(text, exact, error))
        return std::nullopt;
    if (!exact.revisionSeen || exact.revision != manifest.revision) {
        error = "it is not the board its manifest describes (cut short or from another save)";
        return std::nullopt;
    }
    if (exact.board.pads.size() != pads || exact.board.tracks.size() != tracks ||
        !AllAgree(exact.board.pads, work.pads, manifest.scale) ||
        !AllAgree(exact.board.tracks, work.tracks, manifest.scale)) {
        error = "its exact positions do not agree with its work-file records";
        return std::nullopt;
    }
    // Sizes are whole mils, which the work-file records hold exactly.
    exact.board.padSizes = work.padSizes;
    exact.board.trackSizes = work.trackSizes;
    return std::move(exact.board);
}

void RescaleBoard(BoardData& board, ZoomFactor fromScale, ZoomFactor toScale) {
    if (fromScale == toScale)
        return;
    for (Pad& p : board.pads) {
        p.x = Rescaled(p.x, fromScale, toScale);
        p.y = Rescaled(p.y, fromScale, toScale);
    }
    for (Track& t : board.tracks) {
        t.x1 = Rescaled(t.x1, fromScale, toScale);
        t.y1 = Rescaled(t.y1, fromScale, toScale);
        t.x2 = Rescaled(t.x2, fromScale, toScale);
        t.y2 = Rescaled(t.y2, fromScale, toScale);
    }
}
