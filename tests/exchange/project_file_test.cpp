// The project file: its text, round trips with keys of later versions, and
// what is refused with which message.
#include "exchange/project_file.h"
#include "exchange/scratch_dir.h"
#include "support/read_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

ProjectData SampleProject(const std::string& folder) {
    ProjectData p;
    p.frontScan = folder + "/top.bmp";
    p.frontLines = {600, 300};
    ProjectBack back;
    back.scan = folder + "/photos/bottom.png";
    back.lines = {1200, 1200};
    back.mirror = registration::Mirror::TopBottom;
    back.pairs = {{{10.5, 20.25}, {300, 400}}, {{1000, 20}, {12, 410}}, {{990, 700}, {30, 5}}};
    back.registered = registration::Transform({-1.02, 0.05, 1200, 0.04, 1.01, -3, 1e-6, -2e-6, 1});
    p.back = back;
    for (std::size_t i = 0; i < p.layers.size(); ++i)
        p.layers[i] = {RGB(int(i * 10), 255 - int(i), 7), i % 3 != 0};
    p.newPad = {80, 70, 0, PadShape::Octagon};
    p.newTrack = {25};
    p.zoomExponent = -2;
    p.scroll = {120, 3400};
    p.workFile = "FP\r\n120 45\r\nFT\r\n10 20 30 20 6\r\n";
    return p;
}

void ExpectSame(const ProjectData& a, const ProjectData& b) {
    EXPECT_EQ(a.frontScan, b.frontScan);
    EXPECT_EQ(a.frontLines, b.frontLines);
    ASSERT_EQ(a.back.has_value(), b.back.has_value());
    if (a.back) {
        EXPECT_EQ(a.back->scan, b.back->scan);
        EXPECT_EQ(a.back->lines, b.back->lines);
        EXPECT_EQ(a.back->mirror, b.back->mirror);
        EXPECT_EQ(a.back->pairs, b.back->pairs);
        EXPECT_EQ(a.back->registered, b.back->registered);
    }
    for (std::size_t i = 0; i < a.layers.size(); ++i) {
        EXPECT_EQ(a.layers[i].color, b.layers[i].color) << i;
        EXPECT_EQ(a.layers[i].visible, b.layers[i].visible) << i;
    }
    EXPECT_EQ(a.newPad, b.newPad);
    EXPECT_EQ(a.newTrack, b.newTrack);
    EXPECT_EQ(a.zoomExponent, b.zoomExponent);
    EXPECT_EQ(a.scroll, b.scroll);
    EXPECT_EQ(a.workFile, b.workFile);
}

} // namespace

TEST(ProjectFile, RoundTripsEverythingWithScansRelativeToTheProject) {
    const ProjectData project = SampleProject("/data/boards/amp");
    const std::string text = FormatProject(project, "/data/boards/amp/amp.tvproj");
    EXPECT_NE(text.find("\"format\": \"tracevu-project\""), std::string::npos);
    EXPECT_NE(text.find("\"version\": 1"), std::string::npos);
    EXPECT_NE(text.find("\"scan\": \"top.bmp\""), std::string::npos);
    EXPECT_NE(text.find("\"scan\": \"photos/bottom.png\""), std::string::npos);
    EXPECT_NE(text.find("\"mirror\": \"top-bottom\""), std::string::npos);
    const ProjectReadResult read = ParseProject(text, "/data/boards/amp/amp.tvproj");
    ASSERT_TRUE(read.project) << read.error;
    ExpectSame(*read.project, project);

    // Moved with its scans, the project finds them in its new folder.
    const ProjectReadResult moved = ParseProject(text, "/media/usb/amp/amp.tvproj");
    ASSERT_TRUE(moved.project);
    EXPECT_EQ(moved.project->frontScan, "/media/usb/amp/top.bmp");
    EXPECT_EQ(moved.project->back->scan, "/media/usb/amp/photos/bottom.png");
}

TEST(ProjectFile, ScansOutsideTheProjectsFolderKeepTheirWholePath) {
    ProjectData project = SampleProject("/data/scans");
    project.back.reset();
    const std::string text = FormatProject(project, "/data/boards/amp.tvproj");
    EXPECT_NE(text.find("\"scan\": \"/data/scans/top.bmp\""), std::string::npos);
    EXPECT_EQ(text.find("\"back\""), std::string::npos);
    const ProjectReadResult read = ParseProject(text, "/elsewhere/amp.tvproj");
    ASSERT_TRUE(read.project);
    ExpectSame(*read.project, project);
    EXPECT_EQ(RelativeToProject("/data/boards/x/../y.png", "/data/boards/amp.tvproj"), "y.png");
    EXPECT_EQ(RelativeToProject("/data/boardsX/y.png", "/data/boards/amp.tvproj"), "/data/boardsX/y.png");
}

TEST(ProjectFile, KeysOfOtherVersionsSurviveARoundTrip) {
    ProjectData project = SampleProject("/p");
    std::string text = FormatProject(project, "/p/a.tvproj");
    // What a later version might add, at the top and inside an object.
    text.insert(text.find('{') + 1, "\"annotations\": [{\"text\": \"C12\", \"at\": [5, 6]}],");
    text.insert(text.find("\"back\": {") + 9, "\"exposure\": 1.5,");
    ProjectReadResult read = ParseProject(text, "/p/a.tvproj");
    ASSERT_TRUE(read.project) << read.error;
    read.project->zoomExponent = 3;
    const std::string again = FormatProject(*read.project, "/p/a.tvproj");
    EXPECT_NE(again.find("\"annotations\""), std::string::npos);
    EXPECT_NE(again.find("\"C12\""), std::string::npos);
    EXPECT_NE(again.find("\"exposure\": 1.5"), std::string::npos);
    const ProjectReadResult reread = ParseProject(again, "/p/a.tvproj");
    ASSERT_TRUE(reread.project);
    EXPECT_EQ(reread.project->zoomExponent, 3);
    // A back taken away goes with its unknown keys.
    read.project->back.reset();
    EXPECT_EQ(FormatProject(*read.project, "/p/a.tvproj").find("exposure"), std::string::npos);
}

// File names on Linux are bytes; JSON text is UTF-8. Such a name must not
// make saving the project (or its autosave, on the worker) throw.
TEST(ProjectFile, AScanNameThatIsNotUtf8IsWrittenWithItsBadBytesReplaced) {
    ProjectData project = SampleProject("/p");
    project.frontScan = "/p/scan \xff\xfe.bmp";
    project.back->scan = "/elsewhere/\xc3.bmp";
    std::string text;
    ASSERT_NO_THROW(text = FormatProject(project, "/p/a.tvproj"));
    const ProjectReadResult read = ParseProject(text, "/p/a.tvproj");
    ASSERT_TRUE(read.project) << read.error;
    EXPECT_EQ(read.project->frontScan, "/p/scan \xef\xbf\xbd\xef\xbf\xbd.bmp");
    EXPECT_EQ(read.project->back->scan, "/elsewhere/\xef\xbf\xbd.bmp");
    EXPECT_EQ(read.project->back->pairs, project.back->pairs);
}

TEST(ProjectFile, WhatIsNotAProjectOfThisVersionIsRefusedWithAMessage) {
    const std::string good = FormatProject(SampleProject("/p"), "/p/a.tvproj");
    auto with = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const auto at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    struct Case {
        std::string text;
        const char* says;
    };
    const Case cases[] = {
        {"", "not JSON"},
        {"[1, 2]", "not JSON"},
        {"{\"format\": \"something-else\", \"version\": 1}", "not a project file of this program"},
        {with("\"version\": 1", "\"version\": 2"), "newer version"},
        {with("\"version\": 1", "\"version\": \"one\""), "no version"},
        {with("\"mirror\": \"top-bottom\"", "\"mirror\": \"sideways\""), "\"mirror\" is none of"},
        {with("\"zoomExponent\": -2", "\"zoomExponent\": 99"), "zoom is out of range"},
        {with("\"zoomExponent\": -2", "\"zoomExponent\": 1.5"), "zoom is out of range"},
        {with("\"newTrack\"", "\"oldTrack\""), "\"newTrack\" is missing"},
        {with("\"scanLines\": [\n      600", "\"scanLines\": [\n      0"), "scan line count is out of range"},
    };
    for (const Case& c : cases) {
        const ProjectReadResult read = ParseProject(c.text, "/p/a.tvproj");
        EXPECT_FALSE(read.project) << c.says;
        EXPECT_NE(read.error.find(c.says), std::string::npos) << c.says << ": " << read.error;
    }
    // A transform that cannot be undone would show nothing.
    std::string singular = good;
    const auto at = singular.find("\"transform\"");
    ASSERT_NE(at, std::string::npos);
    singular.replace(at, singular.find(']', at) - at + 1, "\"transform\": [1, 2, 3, 2, 4, 6, 0, 0, 1]");
    EXPECT_NE(ParseProject(singular, "/p/a.tvproj").error.find("cannot be inverted"), std::string::npos);
}

TEST(ProjectFile, IsWrittenWholeInPlaceOfTheOldFile) {
    ScratchDir scratch;
    const std::string path = (scratch.Path() / "board.tvproj").string();
    { std::ofstream(path) << "old contents"; }
    const ProjectData project = SampleProject(scratch.Path().string());
    ASSERT_TRUE(WriteProjectFile(path, project));
    const std::string text = ReadFileBytes(path);
    EXPECT_EQ(text, FormatProject(project, path));
    const ProjectReadResult read = ParseProject(text, path);
    ASSERT_TRUE(read.project);
    ExpectSame(*read.project, project);
    EXPECT_FALSE(WriteProjectFile((scratch.Path() / "no-such-folder" / "x.tvproj").string(), project));
}
