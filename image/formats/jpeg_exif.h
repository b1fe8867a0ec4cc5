// What a JPEG file's EXIF block says about how to show the picture.
#pragma once

#include <cstddef>

struct ExifFacts {
    int orientation = 1; // 1 to 8, as the EXIF Orientation tag numbers them
    double xDpi = 0;     // 0 when none is stated
    double yDpi = 0;
};

// Reads an APP1 marker's contents (starting "Exif\0\0"); the defaults when
// the block is not EXIF or says nothing.
ExifFacts ReadExifFacts(const unsigned char* data, std::size_t size);
