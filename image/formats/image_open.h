// Opening a scan of any format from a stream: the format is told by the
// file's first bytes, never by its name.
#pragma once

#include "image/formats/image_format.h"

// Decodes the stream's picture. A stream that cannot seek (a pipe) is
// copied to a temporary file first, since some formats must seek. A file
// of no known format gives Corrupt with info.format Unknown.
DecodeResult DecodeImageStream(std::FILE* stream, const DecodeProgress& progress = {});
// Reads only what the header needs.
DecodeFailure ReadImageStreamHeader(std::FILE* stream, ImageHeaderInfo& info, std::string& error);
