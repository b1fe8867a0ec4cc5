#include "exchange/recovery_manifest.h"

#include "exchange/text_lines.h"

#include <array>
#include <charconv>
#include <limits>

namespace {
constexpr std::string_view kFirstLine = "tracevu recovery 1";
constexpr std::string_view kLastLine = "end";
// A zoom factor is a power of two, and no tracing lies beyond 2^24 pixels
// zoomed: larger factors cannot have been saved.
constexpr int kLargestScale = 1 << 24;
constexpr int kLargestScanLines = 1000000;
constexpr int kLargestCount = 1 << 24;

std::string Escape(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

bool Unescape(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return false;
        switch (text[i]) {
        case '\\': out += '\\'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: return false;
        }
    }
    return true;
}

template <typename Number>
bool ReadNumber(std::string_view text, Number low, Number high, Number& value) {
    Number parsed{};
    const auto [end, result] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (result != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

bool IsPowerOfTwo(int value) {
    return value > 0 && (value & (value - 1)) == 0;
}

// A whole zoom factor ("4"), or one below 1 as a fraction ("1/4").
bool ReadScale(std::string_view text, ZoomFactor& scale) {
    const bool reduced = text.starts_with("1/");
    int factor = 0;
    if (!ReadNumber(reduced ? text.substr(2) : text, 1, kLargestScale, factor) || !IsPowerOfTwo(factor))
        return false;
    const ZoomFactor whole(factor);
    scale = reduced ? ZoomFactor::FromExponent(-whole.Exponent()) : whole;
    return true;
}

std::string ScaleText(ZoomFactor scale) {
    return scale.IsReduced() ? "1/" + std::to_string(scale.Denominator())
                             : std::to_string(scale.Numerator());
}

// Every key of the format, in the order written. Those from kFirstOptional
// on are written only when they hold something, and may be missing.
enum Key {
    kImage,
    kScanLinesX,
    kScanLinesY,
    kScale,
    kSaved,
    kRevision,
    kPads,
    kTracks,
    kProject,
    kProjectState,
    kKeyCount
};
constexpr int kFirstOptional = kProject;
constexpr std::array<std::string_view, kKeyCount> kKeyNames = {
    "image", "scan-lines-x", "scan-lines-y", "scale", "saved", "revision", "pads", "tracks",
    "project", "project-state"};

bool ReadFlag(std::string_view text, bool& flag) {
    if (text != "0" && text != "1")
        return false;
    flag = text == "1";
    return true;
}

bool TakeValue(Key key, std::string_view value, RecoveryManifest& m) {
    constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
    switch (key) {
    case kImage: return Unescape(value, m.imagePath);
    case kScanLinesX: return ReadNumber(value, 1, kLargestScanLines, m.scanLinesX);
    case kScanLinesY: return ReadNumber(value, 1, kLargestScanLines, m.scanLinesY);
    case kScale: return ReadScale(value, m.scale);
    case kSaved: return ReadNumber<std::int64_t>(value, 0, kInt64Max, m.savedAt);
    case kRevision:
        return ReadNumber<std::uint64_t>(value, 0, std::numeric_limits<std::uint64_t>::max(),
                                         m.revision);
    case kPads: return ReadNumber(value, 0, kLargestCount, m.pads);
    case kTracks: return ReadNumber(value, 0, kLargestCount, m.tracks);
    case kProject: return Unescape(value, m.projectPath);
    case kProjectState: return ReadFlag(value, m.projectState);
    case kKeyCount: break;
    }
    return false;
}

int KeyIndex(std::string_view name) {
    for (int k = 0; k < kKeyCount; ++k)
        if (kKeyNames[k] == name)
            return k;
    return -1;
}
} // namespace

std::string FormatRecoveryManifest(const RecoveryManifest& m) {
    const std::array<std::string, kKeyCount> values = {
        Escape(m.imagePath),    std::to_string(m.scanLinesX), std::to_string(m.scanLinesY),
        ScaleText(m.scale),     std::to_string(m.savedAt),    std::to_string(m.revision),
        std::to_string(m.pads), std::to_string(m.tracks),     Escape(m.projectPath),
        m.projectState ? "1" : ""};
    std::string out(kFirstLine);
    out += '\n';
    for (int k = 0; k < kKeyCount; ++k) {
        if (k >= kFirstOptional && values[k].empty())
            continue;
        out += kKeyNames[k];
        out += '=';
        out += values[k];
        out += '\n';
    }
    out += kLastLine;
    out += '\n';
    return out;
}

std::optional<RecoveryManifest> ParseRecoveryManifest(std::string_view text, std::string& error) {
    LineCursor lines(text);
    std::string_view line;
    if (!lines.Next(line) || line != kFirstLine) {
        error = "it is not a recovery manifest";
        return std::nullopt;
    }
    RecoveryManifest manifest;
    std::array<bool, kKeyCount> seen{};
    bool ended = false;
    while (!ended && lines.Next(line)) {
        ended = line == kLastLine;
        if (ended)
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            if (IsBlankText(line))
                continue;
            error = "line " + std::to_string(lines.LineNumber()) + " is not a key=value pair";
            return std::nullopt;
        }
        const int key = KeyIndex(line.substr(0, equals));
        if (key < 0)
            continue;
        const std::string name(kKeyNames[key]);
        if (seen[key]) {
            error = "\"" + name + "\" is given twice";
            return std::nullopt;
        }
        if (!TakeValue(static_cast<Key>(key), line.substr(equals + 1), manifest)) {
            error = "the value of \"" + name + "\" is not valid";
            return std::nullopt;
        }
        seen[key] = true;
    }
    if (!ended) {
        error = "it is cut short";
        return std::nullopt;
    }
    for (int k = 0; k < kFirstOptional; ++k) {
        if (!seen[k]) {
            error = "\"" + std::string(kKeyNames[k]) + "\" is missing";
            return std::nullopt;
        }
    }
    return manifest;
}
