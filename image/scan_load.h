// What opening a scan does off the interface thread: the decode, then the
// work on the decoded block that must come before it is shown. Both run on
// the worker with the same WorkControl; neither touches a document.
#pragma once

#include "image/formats/image_format.h"
#include "image/scan_pyramid.h"
#include "platform/background_work.h"

#include <cstdio>
#include <memory>

// A scan as the worker hands it to the interface thread.
struct DecodedScan {
    DecodeResult decode; // block owned by whoever holds the scan
    std::unique_ptr<ScanPyramid> levels; // its reduced levels, when they could be built
};

// Decodes the stream (progress 0 to 1 through the control, which stops it
// when asked), then runs AfterScanDecoded on a good block. A stop gives
// Cancelled with nothing allocated.
DecodedScan DecodeScan(std::FILE* stream, WorkControl& control);

// The step after a successful decode, on the worker, with the decoded block
// and the control: the reduced levels the picture is painted from below
// zoom 1. False when it was asked to stop.
bool AfterScanDecoded(HDIB block, WorkControl& control, std::unique_ptr<ScanPyramid>& levels);
