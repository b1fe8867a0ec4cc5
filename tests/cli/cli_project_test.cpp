// tracevu-cli with a project: the Protel export of its board, and its scans
// rendered on either side and in the x-ray.
#include "exchange/project_file.h"
#include "exchange/scratch_dir.h"
#include "image/dib_doc.h"
#include "image/other_side_paint.h"
#include "platform/scripted/scripted_services.h"
#include "support/side_scans.h"
#include "tests/cli/cli_run.h"

#include <filesystem>

namespace {

class CliProjectTest : public ::testing::Test {
  protected:
    CliProjectTest() {
        sides::WriteScanFile("front.bmp", 300, 200, sides::Front);
        // The back in its own colours, so that the x-ray shows the blend.
        sides::WriteScanFile("back.bmp", 300, 200, sides::BackOf(photo, [](int x, int y) {
            return sides::Front(x, y) == sides::kPad ? 0x0000C0u : 0x40A040u;
        }, 300, 200));
        project.frontScan = std::filesystem::absolute("front.bmp").string();
        project.frontLines = {400, 400};
        ProjectBack back;
        back.scan = std::filesystem::absolute("back.bmp").string();
        back.registered = photo;
        project.back = back;
        // A via, and a bottom track traced on the back from it.
        project.workFile = "FP\r\n60 60\r\nFT\r\n60 60 180 60 6\r\n";
        EXPECT_TRUE(WriteProjectFile("board.tvproj", project));
        Put("board.dpb", project.workFile);
    }
    // The picture tracevu-cli wrote, read back.
    std::uint32_t PixelOf(const std::string& png, int x, int y) {
        CDibDoc doc;
        EXPECT_TRUE(doc.OnOpenDocument(png));
        const SidePixels pixels(doc.GetDibBlock());
        return pixels.IsValid() ? pixels.At(x, y) & 0xFFFFFFu : 0;
    }

    ScratchDir scratch;
    ScriptedServices services;
    const registration::Transform photo = sides::PhotoOfBack(300, 200);
    ProjectData project;
};

} // namespace

TEST_F(CliProjectTest, ExportsTheProjectsBoardAsTheWorkFileWithItsScanWould) {
    const CliResult fromProject = RunCli({"export-protel", "--project", "board.tvproj", "project.pcb"});
    ASSERT_EQ(fromProject.status, 0) << fromProject.err;
    const CliResult classic =
        RunCli({"export-protel", "--image", "front.bmp", "--scan-lines", "400", "board.dpb", "classic.pcb"});
    ASSERT_EQ(classic.status, 0) << classic.err;
    const std::string pcb = Slurp("project.pcb");
    EXPECT_EQ(pcb, Slurp("classic.pcb"));
    // At 400 dots per inch a pixel is 2.5 mils: the track runs from 150 to
    // 450 mils, 350 mils up from the scan's bottom edge.
    EXPECT_NE(pcb.find("150 350 450 350"), std::string::npos) << pcb;

    EXPECT_EQ(RunCli({"export-protel", "--project", "board.tvproj", "board.dpb", "x.pcb"}).status, 2);
    EXPECT_EQ(RunCli({"export-protel", "--project", "missing.tvproj", "x.pcb"}).status, 1);
}

TEST_F(CliProjectTest, RendersEitherSideAndTheXRay) {
    ASSERT_EQ(RunCli({"render", "--project", "board.tvproj", "--hide", "6", "front.png"}).status, 0);
    ASSERT_EQ(RunCli({"render", "--project", "board.tvproj", "--side", "back", "--hide", "6", "back.png"}).status, 0);
    ASSERT_EQ(RunCli({"render", "--project", "board.tvproj", "--xray", "50", "--hide", "6", "xray.png"}).status, 0);
    // A pad of the board away from the tracing, and the board beside it.
    EXPECT_EQ(PixelOf("front.png", 220, 140), sides::kPad);
    EXPECT_EQ(PixelOf("back.png", 220, 140), 0x0000C0u);
    EXPECT_EQ(PixelOf("back.png", 240, 140), 0x40A040u);
    const std::uint32_t blended = PixelOf("xray.png", 240, 140);
    EXPECT_NEAR(int(blended >> 16), (0xE0 + 0x40) / 2, 1);
    EXPECT_NEAR(int((blended >> 8) & 0xFF), (0xD0 + 0xA0) / 2, 1);
    EXPECT_NEAR(int(blended & 0xFF), (0xA0 + 0x40) / 2, 1);
}

TEST_F(CliProjectTest, RefusesWhatAProjectCannotGive) {
    EXPECT_EQ(RunCli({"render", "--side", "back", "front.bmp", "x.png"}).status, 2);
    EXPECT_EQ(RunCli({"render", "--project", "board.tvproj", "--xray", "95", "x.png"}).status, 2);
    EXPECT_EQ(RunCli({"render", "--project", "board.tvproj", "--board", "board.dpb", "x.png"}).status, 2);
    project.back.reset();
    ASSERT_TRUE(WriteProjectFile("front-only.tvproj", project));
    const CliResult noBack = RunCli({"render", "--project", "front-only.tvproj", "--side", "back", "x.png"});
    EXPECT_EQ(noBack.status, 1);
    EXPECT_NE(noBack.err.find("no other side"), std::string::npos);
    std::string text = Slurp("board.tvproj");
    text.replace(text.find("\"version\": 1"), 12, "\"version\": 3");
    Put("newer.tvproj", text);
    const CliResult newer = RunCli({"export-protel", "--project", "newer.tvproj", "x.pcb"});
    EXPECT_EQ(newer.status, 1);
    EXPECT_NE(newer.err.find("newer version"), std::string::npos);
}
