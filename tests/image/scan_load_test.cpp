// Opening a scan off the interface thread: every reader stops when its
// progress callback says so, and the document hands the decode to the work
// runner, shows its messages afterwards as it always did, and leaves the
// picture it had when the read is cancelled.
#include "dib_test_util.h"
#include "image/dib_doc.h"
#include "image/formats/image_open.h"
#include "image/scan_load.h"
#include "image/scan_pyramid.h"
#include "platform/scripted/scripted_services.h"
#include "platform/scripted/scripted_work.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

bool Convert(const std::string& arguments) {
    return std::system(("convert " + arguments + " 2>/dev/null").c_str()) == 0;
}

// A 600 x 400 picture with detail in every row, in the file `name`; a BMP
// is larger, since it is read a megabyte at a time.
std::string MakeScan(const std::string& name, const std::string& options = "") {
    const std::string path = "scan-load-" + name;
    const bool bmp = path.ends_with(".bmp");
    if (!Convert(std::string(bmp ? "-size 2000x1200" : "-size 600x400") +
                 " plasma:fractal -seed 7 " + options + " " + path))
        return {};
    return path;
}

struct Stream {
    explicit Stream(const std::string& path) : file(std::fopen(path.c_str(), "rb")) {}
    ~Stream() {
        if (file)
            std::fclose(file);
    }
    std::FILE* file;
};

// Decodes the file with a callback that refuses from the share `stopAt`
// on; counts the calls made after the first refusal.
struct StoppedDecode {
    DecodeResult result;
    int callsAfterStop = -1;
    double lastShare = -1;
};

StoppedDecode DecodeStoppingAt(const std::string& path, double stopAt) {
    StoppedDecode run;
    Stream in(path);
    if (!in.file)
        return run;
    bool refused = false;
    run.result = DecodeImageStream(in.file, [&](double done) {
        if (refused)
            ++run.callsAfterStop;
        run.lastShare = done;
        if (done >= stopAt && !refused) {
            refused = true;
            run.callsAfterStop = 0;
        }
        return !refused;
    });
    return run;
}

class ReaderStop : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(ReaderStop, StopsWhenTheCallbackSaysSoAndFreesThePicture) {
    const auto [name, options] = GetParam();
    const std::string path = MakeScan(name, options);
    ASSERT_FALSE(path.empty()) << "convert could not write " << name;
    // Halfway, then at once (a progressive JPEG is asked before its first row).
    for (const double stopAt : {0.3, 0.0}) {
        const StoppedDecode run = DecodeStoppingAt(path, stopAt);
        EXPECT_EQ(run.result.failure, DecodeFailure::Cancelled) << name << " at " << stopAt;
        EXPECT_EQ(run.result.block, nullptr);
        EXPECT_EQ(run.callsAfterStop, 0) << name << ": the decode went on after the stop";
        EXPECT_LT(run.lastShare, 0.5) << name;
    }
    // Without a stop the same file decodes.
    const StoppedDecode whole = DecodeStoppingAt(path, 2.0);
    EXPECT_EQ(whole.result.failure, DecodeFailure::None) << name;
    EXPECT_DOUBLE_EQ(whole.lastShare, 1.0) << name;
    GlobalFree(whole.result.block);
}

INSTANTIATE_TEST_SUITE_P(
    EveryFormat, ReaderStop,
    ::testing::Values(std::pair{"24.bmp", ""}, std::pair{"8.bmp", "-colorspace gray -type grayscale"},
                      std::pair{"plain.png", ""}, std::pair{"interlaced.png", "-interlace PNG"},
                      std::pair{"baseline.jpg", ""},
                      std::pair{"progressive.jpg", "-interlace JPEG"},
                      std::pair{"strips.tif", "-define tiff:rows-per-strip=8"},
                      std::pair{"tiles.tif", "-define tiff:tile-geometry=64x64 -alpha set"},
                      std::pair{"lossless.webp", "-define webp:lossless=true"},
                      std::pair{"scan.ppm", ""}),
    [](const auto& info) {
        std::string name = info.param.first;
        for (char& c : name)
            if (c == '.')
                c = '_';
        return name;
    });

TEST(DecodeScan, AStopAfterTheDecodeStillCancelsAndFreesTheBlock) {
    const std::string path = MakeScan("after.png");
    ASSERT_FALSE(path.empty());
    Stream in(path);
    WorkControl control;
    control.SetProgressObserver([&](double done) {
        if (done >= 1.0)
            control.RequestStop();
    });
    const DecodedScan scan = DecodeScan(in.file, control);
    EXPECT_EQ(scan.decode.failure, DecodeFailure::Cancelled);
    EXPECT_EQ(scan.decode.block, nullptr);
}

TEST(DecodeScan, BuildsTheReducedLevelsOnTheWorkerTooAndDropsThemOnAStop) {
    const std::string path = MakeScan("levels.png");
    ASSERT_FALSE(path.empty());
    {
        Stream in(path);
        WorkControl control;
        const DecodedScan scan = DecodeScan(in.file, control);
        ASSERT_EQ(scan.decode.failure, DecodeFailure::None);
        ASSERT_NE(scan.levels, nullptr);
        EXPECT_EQ(scan.levels->LevelSize(1), CSize(300, 200));
        GlobalFree(scan.decode.block);
    }
    Stream in(path);
    WorkControl control;
    control.SetProgressObserver([&](double done) {
        if (done >= 1.0)
            control.RequestStop();
    });
    EXPECT_EQ(DecodeScan(in.file, control).levels, nullptr);
}

class DocumentOpen : public ::testing::Test {
  protected:
    std::vector<std::string> Texts() const { return services.MessageTexts(); }
    ScriptedServices services;
};

TEST_F(DocumentOpen, DecodesOnTheWorkerAndTakesThePictureOnTheInterfaceThread) {
    const std::string path = MakeScan("doc.png");
    ASSERT_FALSE(path.empty());
    ScriptedWork work(ScriptedWork::Mode::OnThread);
    CDibDoc doc;
    std::vector<std::string> shown;
    doc.SetOpenStatusHandler([&](const std::string& text, const WorkStatus&) {
        shown.push_back(text);
    });
    ASSERT_TRUE(doc.OnOpenDocument(path)) << testing::PrintToString(Texts());
    EXPECT_EQ(work.runs, 1);
    EXPECT_EQ(doc.GetImageSize(), CSize(600, 400));
    EXPECT_EQ(doc.GetImageFormat(), ImageFormat::Png);
    ASSERT_NE(doc.GetPyramid(), nullptr) << "the worker's levels come with the picture";
    EXPECT_EQ(doc.GetPyramid()->LevelSize(2), CSize(150, 100));
    EXPECT_FALSE(doc.WasOpenCancelled());
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), "Opening scan-load-doc.png... 100%");
    EXPECT_TRUE(services.messages.empty());
}

// The same failure says the same things, in the same order, whether the
// decode ran in place or on a worker.
TEST_F(DocumentOpen, FailuresSayWhatTheySaidInTheSameOrder) {
    const std::string damaged = MakeScan("damaged.png");
    ASSERT_FALSE(damaged.empty());
    std::vector<BYTE> bytes;
    {
        Stream in(damaged);
        BYTE chunk[4096];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, in.file)) > 0)
            bytes.insert(bytes.end(), chunk, chunk + n);
    }
    bytes.resize(bytes.size() / 2);
    const std::string cut = testutil::WriteTemp("scan-load-cut.png", bytes);
    // A BMP whose header claims more than the program takes.
    std::vector<BYTE> huge(54, 0);
    huge[0] = 'B';
    huge[1] = 'M';
    huge[14] = 40;
    huge[18] = huge[19] = huge[20] = 0xFF;
    huge[21] = 0x7F; // width 2^31 - 1
    huge[22] = huge[23] = 0xFF;
    huge[24] = huge[25] = 0x0F; // height
    huge[26] = 1;
    huge[28] = 24;
    const std::string tooLarge = testutil::WriteTemp("scan-load-huge.bmp", huge);

    for (const std::string& path : {cut, tooLarge, std::string("scan-load-missing.png")}) {
        std::vector<std::string> inPlace;
        {
            CDibDoc doc;
            EXPECT_FALSE(doc.OnOpenDocument(path));
            inPlace = Texts();
            services.messages.clear();
        }
        ScriptedWork work(ScriptedWork::Mode::OnThread);
        CDibDoc doc;
        EXPECT_FALSE(doc.OnOpenDocument(path));
        EXPECT_FALSE(doc.WasOpenCancelled());
        EXPECT_FALSE(inPlace.empty()) << path;
        EXPECT_EQ(Texts(), inPlace) << path;
        services.messages.clear();
    }
}

TEST_F(DocumentOpen, ACancelledOpenSaysSoQuietlyAndKeepsThePictureItHad) {
    const std::string first = MakeScan("first.png");
    const std::string second = MakeScan("second.tif", "-define tiff:rows-per-strip=4");
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    CDibDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(first));
    const HDIB kept = doc.GetDibBlock();
    const std::vector<std::uint32_t> pixels = testutil::Decode(kept, 0, 0, 600, 400);

    for (const auto mode : {ScriptedWork::Mode::OnThread, ScriptedWork::Mode::InPlace}) {
        ScriptedWork work(mode);
        work.stopAt = 0.25;
        EXPECT_FALSE(doc.OnOpenDocument(second));
        EXPECT_TRUE(doc.WasOpenCancelled());
        EXPECT_TRUE(services.messages.empty()) << testing::PrintToString(Texts());
        EXPECT_EQ(services.statusPanes[0], "Opening scan-load-second.tif cancelled");
        EXPECT_LT(work.statuses.back().progress, 0.5) << "the decode ran on after the stop";
    }
    // The cancelled read took nothing from the document.
    EXPECT_EQ(doc.GetDibBlock(), kept);
    EXPECT_EQ(doc.GetPathName().substr(doc.GetPathName().rfind('/') + 1), first);
    EXPECT_EQ(testutil::Decode(doc.GetDibBlock(), 0, 0, 600, 400), pixels);
}

// What the interface does while it waits (a cancel, here) reaches the
// worker, which stops.
TEST_F(DocumentOpen, ACancelWhileTheWorkerRunsStopsIt) {
    const std::string path = MakeScan("while.ppm");
    ASSERT_FALSE(path.empty());
    ScriptedWork work(ScriptedWork::Mode::InPlace);
    work.whileRunning = [&] { BackgroundWork().RequestStop(); };
    CDibDoc doc;
    EXPECT_FALSE(doc.OnOpenDocument(path));
    EXPECT_TRUE(doc.WasOpenCancelled());
    EXPECT_EQ(doc.GetDibBlock(), nullptr);
    EXPECT_TRUE(services.messages.empty());
}

} // namespace
