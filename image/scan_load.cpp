#include "image/scan_load.h"

#include "image/formats/image_open.h"

DecodedScan DecodeScan(std::FILE* stream, WorkControl& control) {
    DecodedScan scan;
    scan.decode = DecodeImageStream(stream, [&control](double done) {
        return control.SetProgress(done);
    });
    DecodeResult& result = scan.decode;
    if (result.failure == DecodeFailure::None &&
        (!AfterScanDecoded(result.block, control) || control.StopRequested())) {
        GlobalFree(result.block);
        result.block = nullptr;
        result.failure = DecodeFailure::Cancelled;
    }
    return scan;
}

bool AfterScanDecoded(HDIB /*block*/, WorkControl& control) { return !control.StopRequested(); }
