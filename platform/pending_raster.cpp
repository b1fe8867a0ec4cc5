// Placeholder until the decoder lands; this file is removed then.
#include "platform/dib_raster.h"

bool DecodeDibRect(const DibPixels&, int, int, int, int, std::uint32_t*, std::ptrdiff_t) {
    return false;
}
