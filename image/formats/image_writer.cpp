#include "image/formats/image_writer.h"

#include <cerrno>
#include <cstring>

bool WriteImageFile(HDIB dib, ImageFormat format, std::FILE* stream, std::string& error) {
    switch (format) {
    case ImageFormat::Bmp:
        try {
            if (DibWriteFile(dib, stream, ""))
                return true;
            error = "this picture cannot be written as BMP";
        } catch (const CFileException& e) {
            error = std::strerror(e.m_lOsError);
        }
        return false;
    case ImageFormat::Png: return WritePngFile(dib, stream, error);
    case ImageFormat::Tiff: return WriteTiffFile(dib, stream, error);
    case ImageFormat::Pnm: return WritePnmFile(dib, stream, error);
    case ImageFormat::Jpeg:
    case ImageFormat::WebP:
    case ImageFormat::Unknown: break;
    }
    error = std::string("pictures are not saved as ") + ImageFormatName(format);
    return false;
}
