// Placeholder until the Tiff writer is written.
#include "image/formats/image_writer.h"

bool WriteTiffFile(HDIB, std::FILE*, std::string& error) {
    error = "not supported yet";
    return false;
}
