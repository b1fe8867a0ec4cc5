// Placeholder until the Pnm writer is written.
#include "image/formats/image_writer.h"

bool WritePnmFile(HDIB, std::FILE*, std::string& error) {
    error = "not supported yet";
    return false;
}
