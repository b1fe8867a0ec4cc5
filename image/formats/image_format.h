// Scan files of every kind the program opens, read into the one DIB block
// layout the rest of the program knows: a 40-byte header, a colour table
// for 1- and 8-bit pictures, bottom-up rows padded to four bytes.
//
// One reader per format sits behind ImageReader. Every reader decodes
// straight into the block row by row (see DibBuilder), refuses a picture
// whose block would exceed the program's limits before allocating it, and
// reports a damaged file in its library's own words.
#pragma once

#include "image/dib.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <utility>

enum class ImageFormat { Unknown, Bmp, Png, Jpeg, Tiff, WebP, Pnm };

// The format a file's first bytes announce; Unknown when none matches.
// Twelve bytes are enough for every format.
ImageFormat DetectImageFormat(const unsigned char* head, std::size_t size);
// Reads the first bytes of the stream and puts the position back.
ImageFormat DetectImageFormat(std::FILE* stream);
// The format a file name's extension suggests, for saving.
ImageFormat FormatFromExtension(const std::string& path);
// "BMP", "PNG", "JPEG", "TIFF", "WebP", "PNM".
const char* ImageFormatName(ImageFormat format);
// Whether saving in this format gives back the same pixels.
bool IsLosslessFormat(ImageFormat format);

// How a file's picture is stored, as far as its header tells.
struct ImageHeaderInfo {
    ImageFormat format = ImageFormat::Unknown;
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    int channels = 0;        // samples per pixel as stored (alpha included)
    int bitsPerSample = 0;   // as stored: 1, 2, 4, 8 or 16
    bool palette = false;    // stored as palette indexes
    int dibBits = 0;         // depth of the block it becomes: 1, 8 or 24 (BMP: its own)
    // Dots per inch the file states, 0 when it states none (an aspect
    // ratio alone is none).
    double xDpi = 0;
    double yDpi = 0;
    int pages = 1;           // pages or frames in the file; the first is read
    std::string compression; // "deflate", "CCITT G4", "progressive", ...
};

enum class DecodeFailure {
    None,
    TooLarge, // the block would exceed the program's limits
    Corrupt,  // not a picture of this format, damaged or cut short
    NoMemory,
    ReadError, // the file system failed; osError says why
    Cancelled, // the progress callback asked the decode to stop
};

struct DecodeResult {
    HDIB block = nullptr; // owned by the caller; null unless failure is None
    ImageHeaderInfo info;
    DecodeFailure failure = DecodeFailure::None;
    // What is wrong, in the library's words where it has them, without the
    // file name: "CRC error in IDAT chunk".
    std::string error;
    int osError = 0;
};

// Called now and then during a decode with the share done, 0 to 1; it
// returns false to stop the decode, which then gives Cancelled and frees
// what it allocated. It runs on the decoding thread.
using DecodeProgress = std::function<bool(double)>;

class ImageReader {
  public:
    virtual ~ImageReader() = default;
    virtual ImageFormat Format() const = 0;
    // Reads no more of the stream than the header needs (and, for TIFF,
    // the page directories). The stream is at the file's start.
    virtual DecodeFailure ReadHeader(std::FILE* stream, ImageHeaderInfo& info,
                                     std::string& error) const = 0;
    // Decodes the first picture. The stream is at the file's start.
    virtual DecodeResult Decode(std::FILE* stream, const DecodeProgress& progress) const = 0;
};

// The reader for a format; null for Unknown.
const ImageReader* FindImageReader(ImageFormat format);

// The scan lines a stated resolution gives: both axes between 50 and
// 20,000 dpi, rounded to whole dpi; nothing otherwise.
std::optional<std::pair<int, int>> ScanLinesFromResolution(double xDpi, double yDpi);

// The formats' readers, one per file under image/formats/.
const ImageReader& BmpImageReader();
const ImageReader& PngImageReader();
const ImageReader& JpegImageReader();
const ImageReader& TiffImageReader();
const ImageReader& WebPImageReader();
const ImageReader& PnmImageReader();
