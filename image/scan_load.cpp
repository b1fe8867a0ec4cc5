#include "image/scan_load.h"

#include "image/formats/image_open.h"

DecodedScan DecodeScan(std::FILE* stream, WorkControl& control) {
    DecodedScan scan;
    scan.decode = DecodeImageStream(stream, [&control](double done) {
        return control.SetProgress(done);
    });
    DecodeResult& result = scan.decode;
    if (result.failure == DecodeFailure::None &&
        (!AfterScanDecoded(result.block, control, scan.levels) || control.StopRequested())) {
        scan.levels.reset();
        GlobalFree(result.block);
        result.block = nullptr;
        result.failure = DecodeFailure::Cancelled;
    }
    return scan;
}

bool AfterScanDecoded(HDIB block, WorkControl& control, std::unique_ptr<ScanPyramid>& levels) {
    // A block the document will refuse gets no levels; it says why itself.
    if (DibCheckBlock(block) == DibCheck::Ok)
        levels = BuildScanPyramid(block, [&control](double) { return !control.StopRequested(); });
    return !control.StopRequested();
}
