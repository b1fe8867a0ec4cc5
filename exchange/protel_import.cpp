#include "exchange/protel.h"

#include "board/params.h"
#include "exchange/text_lines.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

ProtelRecord RecordKind(std::string_view line) {
    if (line.size() < 2 || (line[0] != 'F' && line[0] != 'C'))
        return ProtelRecord::None;
    switch (line[1]) {
    case 'A':
        return ProtelRecord::Arc;
    case 'T':
        return ProtelRecord::Track;
    case 'F':
        return ProtelRecord::Fill;
    case 'V':
        return ProtelRecord::Via;
    case 'P':
        return ProtelRecord::Pad;
    case 'S':
        return ProtelRecord::String;
    default:
        return ProtelRecord::None;
    }
}

bool LooksLikeProtelFile(std::string_view text) {
    if (IsBlankText(text))
        return true;
    LineCursor lines(text);
    std::string_view line;
    while (lines.Next(line))
        if (line.starts_with("PCB FILE") || line.starts_with("ENDPCB") ||
            line.starts_with("COMP") || RecordKind(line) != ProtelRecord::None)
            return true;
    return false;
}

namespace {
// The numbers of a record's data line that the import needs: a track's ends,
// width and layer, and for every other kind the point that widens the area.
// A pad's sizes and shape follow its point; a pad without them gets the
// default size. Whatever follows is left alone, as files differ in their
// trailing fields (a track's flag is missing in some, vias carry more in
// others).
int FieldsNeeded(ProtelRecord kind) {
    return kind == ProtelRecord::Track ? 6 : 2;
}
constexpr int kPadFieldsWithSize = 6;
int FieldsWanted(ProtelRecord kind) {
    return kind == ProtelRecord::Pad ? kPadFieldsWithSize : FieldsNeeded(kind);
}

void CountNotImported(ProtelRecord kind, ReadReport& report) {
    switch (kind) {
    case ProtelRecord::Via:
        ++report.viasNotImported;
        break;
    case ProtelRecord::Arc:
        ++report.arcsNotImported;
        break;
    case ProtelRecord::Fill:
        ++report.fillsNotImported;
        break;
    case ProtelRecord::String:
        ++report.stringsNotImported;
        break;
    default:
        break;
    }
}

bool IsLine(std::string_view line, std::string_view text) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    return line == text;
}

bool IsNumberLine(std::string_view line) {
    int value = 0;
    return ReadIntegers(line, &value, 1) == 1;
}

// Reads up to the line that closes a bracket, or to where the net list or
// the file visibly ends, so that a bracket left open swallows no records
// after it.
void SkipBracketed(LineCursor& lines, std::string_view close) {
    LineCursor ahead = lines;
    std::string_view line;
    while (ahead.Next(line)) {
        if (line.starts_with("NETDEF") || line.starts_with("ENDPCB"))
            return;
        lines = ahead;
        if (IsLine(line, close))
            return;
    }
}

// A net list entry: NETDEF, the net's name, its pin count, its pins between
// "(" and ")" and its connections between "{" and "}". Nothing in it is a
// record, whatever its name or pins look like.
void SkipNetDefinition(LineCursor& lines) {
    std::string_view line;
    if (!lines.Next(line)) // the name
        return;
    for (;;) {
        LineCursor ahead = lines;
        if (!ahead.Next(line))
            return;
        if (IsLine(line, "("))
            SkipBracketed(ahead, ")");
        else if (IsLine(line, "{"))
            SkipBracketed(ahead, "}");
        else if (!IsNumberLine(line))
            return;
        lines = ahead;
    }
}

// Records followed by one more line (a pad's name, a string's text).
bool HasTextLine(ProtelRecord kind) {
    return kind == ProtelRecord::Pad || kind == ProtelRecord::String;
}

// Mils to image pixels, y still upwards: the product with the scan lines is
// a whole number, scaled by 0.001 in double and kept as float.
float ToPixels(int mils, int scanLines) {
    return static_cast<float>(static_cast<double>(static_cast<std::int64_t>(mils) * scanLines) *
                              0.001);
}

// A pad or track in pixels with y upwards, and the line it came from.
struct RawPad {
    float x, y;
    PadSize size;
    int line;
};
struct RawTrack {
    float x1, y1, x2, y2;
    int layer;
    TrackSize size;
    int line;
};

struct Scan {
    std::vector<RawPad> pads;
    std::vector<RawTrack> tracks;
    int maxX = 0;
    int maxY = 0;
};

void TakeRecord(ProtelRecord kind, const int* f, int got, int line, const ProtelImportSettings& s,
                Scan& scan) {
    scan.maxX = std::max(scan.maxX, f[0]);
    scan.maxY = std::max(scan.maxY, f[1]);
    if (kind == ProtelRecord::Track) {
        scan.maxX = std::max(scan.maxX, f[2]);
        scan.maxY = std::max(scan.maxY, f[3]);
        scan.tracks.push_back({ToPixels(f[0], s.scanLinesX), ToPixels(f[1], s.scanLinesY),
                               ToPixels(f[2], s.scanLinesX), ToPixels(f[3], s.scanLinesY), f[5],
                               SaneTrackSize(f[4]), line});
    } else if (kind == ProtelRecord::Pad) {
        const PadSize size =
            got == kPadFieldsWithSize ? SanePadSize(f[2], f[3], f[5], f[4]) : PadSize{};
        scan.pads.push_back(
            {ToPixels(f[0], s.scanLinesX), ToPixels(f[1], s.scanLinesY), size, line});
    }
}

Scan ReadRecords(std::string_view text, const ProtelImportSettings& settings, ReadReport& report) {
    Scan scan;
    LineCursor lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        if (line.starts_with("NETDEF")) {
            SkipNetDefinition(lines);
            ++report.netsNotImported;
            continue;
        }
        if (line.starts_with("COMP")) {
            for (int i = 0; i < 3 && lines.Next(line); ++i) {
            }
            continue;
        }
        const ProtelRecord kind = RecordKind(line);
        if (kind == ProtelRecord::None)
            continue;
        const int keywordLine = lines.LineNumber();
        const bool stored = kind == ProtelRecord::Pad || kind == ProtelRecord::Track;
        std::string_view data;
        if (!lines.Next(data)) {
            if (stored)
                report.Skip(keywordLine);
            break;
        }
        if (!stored)
            CountNotImported(kind, report);
        int fields[6];
        const int got = ReadIntegers(data, fields, FieldsWanted(kind));
        if (got >= FieldsNeeded(kind))
            TakeRecord(kind, fields, got, keywordLine, settings, scan);
        else if (stored)
            report.Skip(keywordLine);
        if (HasTextLine(kind))
            lines.Next(line);
    }
    return scan;
}

// Rounds half up and adds the 10 pixels to spare; false when the result is
// beyond what the board keeps.
bool ExtentInPixels(int maxMils, int scanLines, int image, ZoomFactor scale, int& extent) {
    const double pixels =
        std::floor(static_cast<double>(static_cast<std::int64_t>(maxMils) * scanLines) * 0.001 +
                   0.5) +
        10;
    const double chosen = std::max(pixels, static_cast<double>(image));
    if (!WithinBoardLimit(chosen * scale.Factor(), scale))
        return false;
    extent = static_cast<int>(chosen);
    return true;
}

// Flips y against the height and brings a value to the zoom; false when the
// result is beyond what the board keeps.
bool Place(float x, float yUp, float height, ZoomFactor scale, float& outX, float& outY) {
    outX = x * scale.FloatFactor();
    outY = (height - yUp) * scale.FloatFactor();
    return WithinBoardLimit(outX, scale) && WithinBoardLimit(outY, scale);
}
} // namespace

std::optional<ProtelImport> ImportProtel(std::string_view text,
                                         const ProtelImportSettings& settings, ReadReport& report) {
    if (settings.scanLinesX < 1 || settings.scanLinesY < 1)
        return std::nullopt;
    ReadReport found;
    const Scan scan = ReadRecords(text, settings, found);
    ProtelImport result;
    if (!ExtentInPixels(scan.maxX, settings.scanLinesX, settings.imageWidth, settings.scale,
                        result.width) ||
        !ExtentInPixels(scan.maxY, settings.scanLinesY, settings.imageHeight, settings.scale,
                        result.height))
        return std::nullopt;

    const float height = static_cast<float>(result.height);
    const ZoomFactor scale = settings.scale;
    result.board.pads.reserve(scan.pads.size());
    result.board.padSizes.reserve(scan.pads.size());
    for (const RawPad& raw : scan.pads) {
        Pad pad{};
        if (Place(raw.x, raw.y, height, scale, pad.x, pad.y)) {
            result.board.pads.push_back(pad);
            result.board.padSizes.push_back(raw.size);
        } else {
            found.Skip(raw.line);
        }
    }
    result.board.tracks.reserve(scan.tracks.size());
    result.board.trackSizes.reserve(scan.tracks.size());
    for (const RawTrack& raw : scan.tracks) {
        Track track{};
        if (std::llabs(static_cast<std::int64_t>(raw.layer)) <= kMaxCoordinate &&
            Place(raw.x1, raw.y1, height, scale, track.x1, track.y1) &&
            Place(raw.x2, raw.y2, height, scale, track.x2, track.y2)) {
            track.layer = static_cast<float>(raw.layer);
            result.board.tracks.push_back(track);
            result.board.trackSizes.push_back(raw.size);
        } else {
            found.Skip(raw.line);
        }
    }
    report.Merge(found);
    return result;
}
