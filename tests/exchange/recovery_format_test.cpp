// The two files of a recovery pair: the manifest and the exact board.
#include "exchange/recovery_board.h"
#include "exchange/recovery_files.h"
#include "exchange/recovery_manifest.h"
#include "exchange/work_file.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
RecoveryManifest SampleManifest() {
    RecoveryManifest m;
    m.imagePath = "/scans/odd \\name\nwith\rbreaks \xff\xfe.bmp";
    m.scanLinesX = 600;
    m.scanLinesY = 300;
    m.scale = 4;
    m.savedAt = 1796678040;
    m.revision = 123456789012345ULL;
    m.pads = 2;
    m.tracks = 1;
    return m;
}

std::optional<RecoveryManifest> Parse(const std::string& text, std::string* why = nullptr) {
    std::string error;
    auto manifest = ParseRecoveryManifest(text, error);
    if (!manifest) {
        EXPECT_FALSE(error.empty()) << "a refusal must say why";
    }
    if (why)
        *why = error;
    return manifest;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

bool SameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Values that whole-pixel work files cannot hold: fractions, negative
// zero, odd values at zoom 4.
BoardData FractionalBoard() {
    return {{{12.5f, 7.0f}, {-0.0f, -3.75f}}, {{0.1f, 1e-3f, 30.25f, 65535.0f, 12.0f}}};
}

RecoveryManifest ManifestFor(const BoardData& board, ZoomFactor scale, std::uint64_t revision) {
    RecoveryManifest m;
    m.scale = scale;
    m.revision = revision;
    m.pads = static_cast<int>(board.pads.size());
    m.tracks = static_cast<int>(board.tracks.size());
    return m;
}
} // namespace

TEST(RecoveryManifest, KeepsEveryFieldAndAnyFileName) {
    const RecoveryManifest m = SampleManifest();
    const auto back = Parse(FormatRecoveryManifest(m));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->imagePath, m.imagePath);
    EXPECT_EQ(back->scanLinesX, 600);
    EXPECT_EQ(back->scanLinesY, 300);
    EXPECT_EQ(back->scale, 4);
    EXPECT_EQ(back->savedAt, 1796678040);
    EXPECT_EQ(back->revision, 123456789012345ULL);
    EXPECT_EQ(back->pads, 2);
    EXPECT_EQ(back->tracks, 1);
    // Keys it does not know and CR LF line ends do no harm.
    std::string crlf = Replace(FormatRecoveryManifest(m), "end\n", "later=1\nend\n");
    for (std::size_t at = crlf.find('\n'); at != std::string::npos; at = crlf.find('\n', at + 2))
        crlf.insert(at, "\r");
    ASSERT_TRUE(Parse(crlf));
    EXPECT_EQ(Parse(crlf)->imagePath, m.imagePath);
}

TEST(RecoveryManifest, RefusesDamageWithAReason) {
    const std::string good = FormatRecoveryManifest(SampleManifest());
    std::string why;
    EXPECT_FALSE(Parse("", &why));
    EXPECT_FALSE(Parse(Replace(good, "tracevu recovery 1", "tracevu recovery 2"), &why));
    EXPECT_FALSE(Parse(Replace(good, "scale=4\n", ""), &why));
    EXPECT_NE(why.find("scale"), std::string::npos) << why;
    EXPECT_FALSE(Parse(Replace(good, "pads=2\n", "pads=2\npads=3\n"), &why));
    EXPECT_NE(why.find("twice"), std::string::npos) << why;
    EXPECT_FALSE(Parse(Replace(good, "scale=4", "scale=3"), &why)); // not a zoom factor
    EXPECT_FALSE(Parse(Replace(good, "scale=4", "scale=0"), &why));
    EXPECT_FALSE(Parse(Replace(good, "pads=2", "pads=-2"), &why));
    EXPECT_FALSE(Parse(Replace(good, "pads=2", "pads=2x"), &why));
    EXPECT_FALSE(Parse(Replace(good, "pads=2", "pads="), &why));
    EXPECT_FALSE(Parse(Replace(good, "scan-lines-x=600", "scan-lines-x=99999999999"), &why));
    EXPECT_FALSE(Parse(Replace(good, "with", "w\\qith"), &why)); // unknown escape
    EXPECT_FALSE(Parse(Replace(good, "scale=4", "scale 4"), &why));
    // Cut anywhere, it is refused: a shorter number must not pass for the whole.
    for (std::size_t size = 0; size < good.size() - 1; ++size)
        EXPECT_FALSE(Parse(good.substr(0, size))) << "cut at " << size;
}

// A tracing with a project adds two keys; one without is written exactly as
// before, and manifests from before read as tracings without a project.
TEST(RecoveryManifest, ProjectKeysAreAddedOnlyWhenThereIsAProject) {
    const std::string older = "tracevu recovery 1\nimage=/s/scan.bmp\nscan-lines-x=200\n"
                              "scan-lines-y=200\nscale=1/2\nsaved=1796678040\nrevision=3\n"
                              "pads=1\ntracks=0\nend\n";
    const auto old = Parse(older);
    ASSERT_TRUE(old);
    EXPECT_TRUE(old->projectPath.empty());
    EXPECT_FALSE(old->projectState);
    EXPECT_EQ(FormatRecoveryManifest(*old), older);

    RecoveryManifest m = SampleManifest();
    m.projectPath = "/boards/two\nlines\\and\rmore.tvproj";
    m.projectState = true;
    const std::string text = FormatRecoveryManifest(m);
    EXPECT_NE(text.find("project-state=1\n"), std::string::npos) << text;
    const auto back = Parse(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->projectPath, m.projectPath);
    EXPECT_TRUE(back->projectState);
    EXPECT_EQ(back->imagePath, m.imagePath);

    // A side without a project file, and a project without a side.
    m.projectPath.clear();
    ASSERT_TRUE(Parse(FormatRecoveryManifest(m)));
    EXPECT_TRUE(Parse(FormatRecoveryManifest(m))->projectState);
    m.projectPath = "/b.tvproj";
    m.projectState = false;
    EXPECT_EQ(FormatRecoveryManifest(m).find("project-state"), std::string::npos);
    EXPECT_EQ(Parse(FormatRecoveryManifest(m))->projectPath, "/b.tvproj");

    std::string why;
    EXPECT_FALSE(Parse(Replace(text, "project-state=1", "project-state=2"), &why));
    EXPECT_NE(why.find("project-state"), std::string::npos) << why;
    EXPECT_FALSE(Parse(Replace(text, "project-state=1", "project-state=1\nproject-state=1"), &why));
    EXPECT_NE(why.find("twice"), std::string::npos) << why;
    EXPECT_FALSE(Parse(Replace(text, "and", "\\x"), &why)); // unknown escape in the project path
}

TEST(RecoveryBoard, KeepsExactValuesAndStaysAWorkFile) {
    const BoardData board = FractionalBoard();
    const auto text = FormatRecoveryBoard(SpanOf(board), 4, 99);
    ASSERT_TRUE(text);
    std::string error;
    const auto back = ParseRecoveryBoard(*text, ManifestFor(board, 4, 99), error);
    ASSERT_TRUE(back) << error;
    ASSERT_EQ(back->pads.size(), 2u);
    ASSERT_EQ(back->tracks.size(), 1u);
    for (std::size_t i = 0; i < board.pads.size(); ++i) {
        EXPECT_TRUE(SameBits(back->pads[i].x, board.pads[i].x)) << i;
        EXPECT_TRUE(SameBits(back->pads[i].y, board.pads[i].y)) << i;
    }
    EXPECT_EQ(std::memcmp(&back->tracks[0], &board.tracks[0], sizeof(Track)), 0);

    // Open Work reads the same file as whole pixels.
    EXPECT_TRUE(LooksLikeWorkFile(*text));
    ReadReport report;
    const BoardData work = ParseWorkFile(*text, 4, report);
    EXPECT_TRUE(report.Clean());
    ASSERT_EQ(work.pads.size(), 2u);
    EXPECT_EQ(work.pads[0].x, 12.0f);
    EXPECT_EQ(work.tracks[0].x2, 28.0f);
}

TEST(RecoveryManifest, ZoomsBelowOneAreWrittenAsFractions) {
    RecoveryManifest m = SampleManifest();
    m.scale = ZoomFactor::FromExponent(-3);
    const std::string text = FormatRecoveryManifest(m);
    EXPECT_NE(text.find("\nscale=1/8\n"), std::string::npos) << text;
    const auto back = Parse(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->scale, ZoomFactor::FromExponent(-3));
    for (const char* bad : {"scale=1/3", "scale=1/0", "scale=2/8", "scale=1/", "scale=1/-4", "scale=3"})
        EXPECT_FALSE(Parse(Replace(text, "scale=1/8", bad))) << bad;
}

TEST(RecoveryBoard, AQuarterZoomBoardComesBackExactly) {
    const BoardData board = FractionalBoard();
    const ZoomFactor quarter = ZoomFactor::FromExponent(-2);
    const auto text = FormatRecoveryBoard(SpanOf(board), quarter, 7);
    ASSERT_TRUE(text);
    std::string error;
    const auto back = ParseRecoveryBoard(*text, ManifestFor(board, quarter, 7), error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(std::memcmp(back->pads.data(), board.pads.data(), 2 * sizeof(Pad)), 0);
    EXPECT_FALSE(ParseRecoveryBoard(*text, ManifestFor(board, 1, 7), error));
}

TEST(RecoveryBoard, RefusesWhatIsNotTheBoardOfItsManifest) {
    const BoardData board = FractionalBoard();
    const std::string text = *FormatRecoveryBoard(SpanOf(board), 4, 99);
    const RecoveryManifest manifest = ManifestFor(board, 4, 99);
    std::string error;
    // Cut at every offset.
    for (std::size_t size = 0; size < text.size() - 2; ++size)
        EXPECT_FALSE(ParseRecoveryBoard(text.substr(0, size), manifest, error)) << size;
    // A revision from another save, other counts, another zoom.
    EXPECT_FALSE(ParseRecoveryBoard(text, ManifestFor(board, 4, 98), error));
    RecoveryManifest fewer = manifest;
    fewer.pads = 1;
    EXPECT_FALSE(ParseRecoveryBoard(text, fewer, error));
    EXPECT_FALSE(ParseRecoveryBoard(text, ManifestFor(board, 2, 99), error));
    // An exact value that its work-file record does not have, a broken number.
    EXPECT_FALSE(ParseRecoveryBoard(Replace(text, "XP 12.5 7", "XP 16.5 7"), manifest, error));
    EXPECT_NE(error.find("agree"), std::string::npos) << error;
    EXPECT_FALSE(ParseRecoveryBoard(Replace(text, "XP 12.5 7", "XP 12.5 nan"), manifest, error));
    EXPECT_FALSE(ParseRecoveryBoard(Replace(text, "XP 12.5 7", "XP 12.5  7"), manifest, error));
    EXPECT_FALSE(ParseRecoveryBoard(Replace(text, "XR 99", "XR 99\r\nXP 1 1"), manifest, error));
    EXPECT_TRUE(ParseRecoveryBoard(text, manifest, error)) << error;
}

TEST(RecoveryBoard, RescalesBetweenZoomsExactly) {
    BoardData board = FractionalBoard();
    RescaleBoard(board, 4, 1);
    EXPECT_EQ(board.pads[0].x, 3.125f);
    EXPECT_EQ(board.pads[1].y, -0.9375f);
    EXPECT_EQ(board.tracks[0].layer, 12.0f); // layers are not coordinates
    RescaleBoard(board, 1, ZoomFactor::FromExponent(-4));
    EXPECT_EQ(board.pads[0].x, 0.1953125f);
    RescaleBoard(board, ZoomFactor::FromExponent(-4), 4);
    const BoardData original = FractionalBoard();
    EXPECT_EQ(std::memcmp(board.pads.data(), original.pads.data(), 2 * sizeof(Pad)), 0);
    EXPECT_EQ(std::memcmp(board.tracks.data(), original.tracks.data(), sizeof(Track)), 0);
}

TEST(RecoveryFiles, NamesTellProcessAndView) {
    const RecoveryFileNames names = RecoveryFilesOf("/state/recovery", 4242, 3);
    EXPECT_EQ(names.board, "/state/recovery/4242-3.dpb");
    EXPECT_EQ(names.manifest, "/state/recovery/4242-3.manifest");
    int pid = 0;
    int view = 0;
    EXPECT_TRUE(ParseManifestName("4242-3.manifest", pid, view));
    EXPECT_EQ(pid, 4242);
    EXPECT_EQ(view, 3);
    for (const char* other : {"4242-3.dpb", "4242.manifest", "-3.manifest", "x-3.manifest",
                              "4242-0.manifest", "04242-3.manifest", "4242-3.manifest.tmp",
                              "99999999999-1.manifest"})
        EXPECT_FALSE(ParseManifestName(other, pid, view)) << other;
}
