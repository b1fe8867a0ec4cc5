#include "image/formats/jpeg_exif.h"

#include <libexif/exif-data.h>

#include <cstring>

namespace {

constexpr double kCentimetresPerInch = 2.54;

ExifEntry* EntryOf(ExifData* data, ExifTag tag, ExifFormat format, unsigned size) {
    ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], tag);
    if (!entry || entry->format != format || entry->components < 1 || !entry->data ||
        entry->size < size)
        return nullptr;
    return entry;
}

double RationalOf(ExifData* data, ExifTag tag) {
    ExifEntry* entry = EntryOf(data, tag, EXIF_FORMAT_RATIONAL, 8);
    if (!entry)
        return 0;
    const ExifRational r = exif_get_rational(entry->data, exif_data_get_byte_order(data));
    return r.denominator ? static_cast<double>(r.numerator) / r.denominator : 0;
}

int ShortOf(ExifData* data, ExifTag tag, int fallback) {
    ExifEntry* entry = EntryOf(data, tag, EXIF_FORMAT_SHORT, 2);
    return entry ? exif_get_short(entry->data, exif_data_get_byte_order(data)) : fallback;
}

void ReadFacts(ExifData* data, ExifFacts& facts) {
    const int orientation = ShortOf(data, EXIF_TAG_ORIENTATION, 1);
    if (orientation >= 1 && orientation <= 8)
        facts.orientation = orientation;
    const double x = RationalOf(data, EXIF_TAG_X_RESOLUTION);
    const double y = RationalOf(data, EXIF_TAG_Y_RESOLUTION);
    // The tag's default unit is the inch; 3 is the centimetre; 1 states none.
    const int unit = ShortOf(data, EXIF_TAG_RESOLUTION_UNIT, 2);
    if (x > 0 && y > 0 && (unit == 2 || unit == 3)) {
        const double scale = unit == 3 ? kCentimetresPerInch : 1.0;
        facts.xDpi = x * scale;
        facts.yDpi = y * scale;
    }
}

} // namespace

ExifFacts ReadExifFacts(const unsigned char* data, std::size_t size) {
    ExifFacts facts;
    if (size < 6 || std::memcmp(data, "Exif\0\0", 6) != 0 || size > 0xFFFFFFFFu)
        return facts;
    ExifData* exif = exif_data_new();
    if (!exif)
        return facts;
    // Following the standard would fill in the tags a camera must write,
    // with made-up values (72 dpi): only what the file says counts.
    exif_data_unset_option(exif, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(exif, data, static_cast<unsigned int>(size));
    ReadFacts(exif, facts);
    exif_data_unref(exif);
    return facts;
}
