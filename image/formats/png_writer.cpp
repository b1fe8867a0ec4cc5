// Placeholder until the Png writer is written.
#include "image/formats/image_writer.h"

bool WritePngFile(HDIB, std::FILE*, std::string& error) {
    error = "not supported yet";
    return false;
}
