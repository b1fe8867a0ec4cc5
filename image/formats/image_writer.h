// Writing the document's picture in the lossless formats it can be saved
// as. Any block the document keeps can be written: palette pictures keep
// their palette (or are written as grey or black and white when their
// colours are a grey ramp), the others become 8-bit RGB.
#pragma once

#include "image/formats/image_format.h"

#include <cstdio>
#include <string>

// Writes the whole file to the stream. False, with error saying why (the
// library's words, or the system's for a failed write), when it could not.
bool WriteImageFile(HDIB dib, ImageFormat format, std::FILE* stream, std::string& error);

// The formats' writers (BMP is the program's own DibWriteFile).
bool WritePngFile(HDIB dib, std::FILE* stream, std::string& error);
bool WriteTiffFile(HDIB dib, std::FILE* stream, std::string& error);
bool WritePnmFile(HDIB dib, std::FILE* stream, std::string& error);
