// The file kinds the image dialogs offer: every format the program reads
// for opening, the lossless ones it writes for saving.
#pragma once

#include "image/formats/image_format.h"

#include <string>

// "Image Files (*.bmp;*.png;...)", then one filter per format, then all files.
std::string OpenImageFilter();
// BMP, PNG and TIFF (and PNM for a picture that came from one), the
// document's own format first.
std::string SaveImageFilter(ImageFormat documentFormat);
// The format a picture from this format is saved in when it goes to a new
// name: its own when it is written losslessly, PNG otherwise.
ImageFormat SaveFormatFor(ImageFormat documentFormat);
// "bmp", "png", "tif", "pnm".
std::string SaveExtension(ImageFormat format);
// The name offered in Save As: the file's name with the extension of the
// format it will be saved in.
std::string SaveAsName(const std::string& pathOrTitle, ImageFormat documentFormat);
