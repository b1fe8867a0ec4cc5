// The CLI's export and import against the program's own commands.
#include "board/dib_view.h"
#include "exchange/scratch_dir.h"
#include "image/dib_doc.h"
#include "platform/scripted/recording_dc.h"
#include "platform/scripted/scripted_host.h"
#include "platform/scripted/scripted_services.h"
#include "tests/cli/cli_run.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace {
const char* const kExampleWork = "FP\r\n100 50\r\nFT\r\n10 20 30 20 6\r\n";
const char* const kExampleProtel = "PCB FILE 4\r\nFP\r\n500 1750 60 60 1 28 1 13\r\n0\r\nFT\r\n"
                                   "50 1900 150 1900 12 6 1\r\nENDPCB\r\n";

// A work file with a little of everything, odd layers included.
std::string SampleWork() {
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "FP\r\n" + std::to_string(i * 7) + " " + std::to_string(395 - i * 9) + "\r\n";
    for (int i = 0; i < 40; ++i)
        text += "FT\r\n" + std::to_string(i) + " " + std::to_string(i * 3) + " " +
                std::to_string(i * 5 + 1) + " " + std::to_string(400 - i) + " " +
                std::to_string(i % 14) + "\r\n";
    return text;
}

// Runs one of the view's file commands with the file dialog answered.
void RunViewCommand(CDibView& view, ScriptedServices& services, void (CDibView::*command)(),
                    const std::string& path) {
    services.fileAnswers.push_back(path);
    (view.*command)();
}
} // namespace

TEST(CliExchange, ExportWritesTheExampleByteForByte) {
    ScratchDir dir;
    Put("board.dpb", kExampleWork);
    const CliResult r =
        RunCli({"export-protel", "--image-size", "300x400", "board.dpb", "out.pcb"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Slurp("out.pcb"), kExampleProtel);
}

TEST(CliExchange, ExportToDevStdoutWritesIntoThePipe) {
    ScratchDir dir;
    Put("board.dpb", kExampleWork);
    const std::string command =
        Quote(CliPath()) + " export-protel --image-size 300x400 board.dpb /dev/stdout 2>cli.err";
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    const int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(out, kExampleProtel);
    EXPECT_EQ(Slurp("cli.err"), "");
    EXPECT_TRUE(std::filesystem::is_symlink("/dev/stdout")) << "the link to the descriptor stays";
}

TEST(CliExchange, ExportThroughADanglingLinkCreatesTheFileItNames) {
    ScratchDir dir;
    Put("board.dpb", kExampleWork);
    std::filesystem::create_directory("out");
    std::filesystem::create_symlink("out/board.pcb", "link.pcb");
    EXPECT_EQ(RunCli({"export-protel", "--image-size", "300x400", "board.dpb", "link.pcb"}).status,
              0);
    EXPECT_TRUE(std::filesystem::is_symlink("link.pcb"));
    EXPECT_EQ(Slurp("out/board.pcb"), kExampleProtel);
}

TEST(CliExchange, ScanLinesSetTheMilsPerPixel) {
    ScratchDir dir;
    Put("board.dpb", "FP\r\n3 0\r\nFP\r\n100 0\r\n");
    RunCli(
        {"export-protel", "--image-size", "300x400", "--scan-lines", "300", "board.dpb", "a.pcb"});
    EXPECT_EQ(Slurp("a.pcb"), "PCB FILE 4\r\nFP\r\n9 1333 60 60 1 28 1 13\r\n0\r\n"
                              "FP\r\n333 1333 60 60 1 28 1 13\r\n0\r\nENDPCB\r\n");
    RunCli({"export-protel", "--image-size=300x400", "--scan-lines=400,200", "board.dpb", "b.pcb"});
    EXPECT_EQ(Slurp("b.pcb"), "PCB FILE 4\r\nFP\r\n7 2000 60 60 1 28 1 13\r\n0\r\n"
                              "FP\r\n250 2000 60 60 1 28 1 13\r\n0\r\nENDPCB\r\n");
}

TEST(CliExchange, ImportThenExportComesBackUnchanged) {
    ScratchDir dir;
    Put("in.pcb", kExampleProtel);
    CliResult r = RunCli({"import-protel", "--image-size", "300x400", "in.pcb", "board.dpb"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp("board.dpb"), kExampleWork);
    r = RunCli({"export-protel", "--image-size", "300x400", "board.dpb", "again.pcb"});
    EXPECT_EQ(Slurp("again.pcb"), kExampleProtel);
}

// The program refuses pipes; the command line reads them, as from a shell's
// process substitution.
TEST(CliExchange, ReadsItsInputFromAPipe) {
    ScratchDir dir;
    Put("real.pcb", kExampleProtel);
    Put("real.dpb", kExampleWork);
    ASSERT_EQ(mkfifo("in.pcb", 0600), 0);
    ASSERT_EQ(mkfifo("in.dpb", 0600), 0);
    // The writers give up should the program never open its pipe.
    ASSERT_EQ(std::system("(timeout 20 cat real.pcb >in.pcb; timeout 20 cat real.dpb >in.dpb) &"),
              0);
    CliResult r = RunCli({"import-protel", "--image-size", "300x400", "in.pcb", "board.dpb"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp("board.dpb"), kExampleWork);
    r = RunCli({"export-protel", "--image-size", "300x400", "in.dpb", "out.pcb"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp("out.pcb"), kExampleProtel);
}

TEST(CliExchange, SameFilesAsTheProgram) {
    ScratchDir dir;
    Put("sample.dpb", SampleWork());
    ScriptedServices services;
    ScriptedViewHost host;
    {
        CDibView view;
        view.AttachHost(&host);
        view.m_nImageWidth = 300;
        view.m_nImageHeight = 400;
        view.SetScanLines({300, 250});
        RunViewCommand(view, services, &CDibView::OnOpenWork, "sample.dpb");
        RunViewCommand(view, services, &CDibView::OnSaveProtel, "program.pcb");
        RunViewCommand(view, services, &CDibView::OnOpenProtel, "program.pcb");
        RunViewCommand(view, services, &CDibView::OnSaveWork, "program.dpb");
        g_nScanLinesX = g_nScanLinesY = 200;
        g_fMilPerPixelX = g_fMilPerPixelY = 5.0f;
        view.ClearBoard();
    }
    EXPECT_EQ(RunCli({"export-protel", "--image-size", "300x400", "--scan-lines", "300,250",
                      "sample.dpb", "cli.pcb"})
                  .status,
              0);
    EXPECT_EQ(RunCli({"import-protel", "--image-size", "300x400", "--scan-lines", "300,250",
                      "cli.pcb", "cli.dpb"})
                  .status,
              0);
    const std::string program = Slurp("program.pcb");
    EXPECT_GT(program.size(), 1000u);
    EXPECT_EQ(Slurp("cli.pcb"), program);
    EXPECT_EQ(Slurp("cli.dpb"), Slurp("program.dpb"));
}

TEST(CliExchange, SameFilesAsTheProgramOverARealScan) {
    const std::string scan = TRACEVU_SOURCE_DIR "/res/sample-scan.bmp";
    ScratchDir dir;
    Put("sample.dpb", SampleWork());
    ScriptedServices services;
    ScriptedViewHost host;
    {
        CDibDoc doc;
        auto view = std::make_unique<CDibView>();
        view->AttachHost(&host);
        doc.AddView(view.get());
        ASSERT_TRUE(doc.OnOpenDocument(scan));
        RecordingDC dc;
        view->OnDraw(&dc); // the image's size reaches the view at a paint
        ASSERT_GT(view->m_nImageHeight, 400);
        RunViewCommand(*view, services, &CDibView::OnOpenWork, "sample.dpb");
        RunViewCommand(*view, services, &CDibView::OnSaveProtel, "program.pcb");
        RunViewCommand(*view, services, &CDibView::OnOpenProtel, "program.pcb");
        RunViewCommand(*view, services, &CDibView::OnSaveWork, "program.dpb");
        view->ClearBoard();
        doc.RemoveView(view.get());
    }
    EXPECT_EQ(RunCli({"export-protel", "--image", scan, "sample.dpb", "cli.pcb"}).status, 0);
    EXPECT_EQ(RunCli({"import-protel", "--image", scan, "cli.pcb", "cli.dpb"}).status, 0);
    const std::string program = Slurp("program.pcb");
    EXPECT_GT(program.size(), 1000u);
    EXPECT_EQ(Slurp("cli.pcb"), program);
    EXPECT_EQ(Slurp("cli.dpb"), Slurp("program.dpb"));
}

TEST(CliExchange, BadInputIsReportedWithTheProgramsMessages) {
    ScratchDir dir;
    CliResult r = RunCli({"export-protel", "--image-size", "10x10", "missing.dpb", "o.pcb"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Read error or file format is invalid!"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists("o.pcb"));

    Put("b.dpb", "FP\r\n1 2\r\n");
    std::filesystem::create_directory("taken.pcb");
    r = RunCli({"export-protel", "--image-size", "10x10", "b.dpb", "taken.pcb"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Write file error!"), std::string::npos) << r.err;
    EXPECT_TRUE(std::filesystem::is_directory("taken.pcb"));

    Put("notes.txt", "not a board\n");
    for (const char* command : {"export-protel", "import-protel"}) {
        r = RunCli({command, "--image-size", "10x10", "notes.txt", "out"});
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_EQ(r.err, std::string("tracevu-cli ") + command +
                             ": notes.txt: Read error or file format is invalid!\n");
        EXPECT_FALSE(std::filesystem::exists("out"));
    }

    Put("far.pcb", "FV\n2000000000 0 1 1\n");
    r = RunCli({"import-protel", "--image-size", "10x10", "far.pcb", "far.dpb"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("out of range"), std::string::npos) << r.err;

    r = RunCli({"import-protel", "--image", "missing.bmp", "far.pcb", "far.dpb"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.bmp"), std::string::npos) << r.err;
    Put("not.bmp", "this is no bitmap");
    r = RunCli({"info", "not.bmp"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Cannot load DIB"), std::string::npos) << r.err;

    // A scan cut short keeps a sound header, yet the program cannot show it.
    std::string scan = Slurp(TRACEVU_SOURCE_DIR "/res/sample-scan.bmp");
    ASSERT_GT(scan.size(), 3000u);
    Put("cut.bmp", scan.substr(0, 3000));
    Put("b.dpb", "FP\r\n1 2\r\n");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"info", "cut.bmp"},
          std::vector<std::string>{"export-protel", "--image", "cut.bmp", "b.dpb", "cut.pcb"}}) {
        r = RunCli(args);
        EXPECT_EQ(r.status, 1) << args[0];
        EXPECT_NE(r.err.find("Cannot load DIB"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    EXPECT_FALSE(std::filesystem::exists("cut.pcb"));
}

TEST(CliExchange, SkippedRecordsAreReportedButTheRestIsWritten) {
    ScratchDir dir;
    Put("b.dpb", "FP\r\n1 2\r\nFP\r\n3\r\n");
    const CliResult r = RunCli({"export-protel", "--image-size", "10x10", "b.dpb", "o.pcb"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("1 record was unreadable and skipped (the first at line 3)."),
              std::string::npos)
        << r.err;
    EXPECT_EQ(Slurp("o.pcb"), "PCB FILE 4\r\nFP\r\n5 40 60 60 1 28 1 13\r\n0\r\nENDPCB\r\n");
}

TEST(CliExchange, AnImportOfNoPadsOrTracksSaysSo) {
    ScratchDir dir;
    Put("v.pcb", "PCB FILE 4\rFV\r10 10 50 28\rNETDEF\rCPUCLK\r1\r(\rCP1-1\r)\rENDPCB\r");
    const CliResult r = RunCli({"import-protel", "--image-size", "10x10", "v.pcb", "o.dpb"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("The file holds no pads or tracks (1 via, 1 net were not imported)"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(Slurp("o.dpb"), "");
}

TEST(CliExchange, NeverReadsOrWritesTheColourFile) {
    ScratchDir dir;
    Put("b.dpb", kExampleWork);
    // A board view would read the file when it opens and write it when done.
    EXPECT_EQ(RunCli({"export-protel", "--image-size", "300x400", "b.dpb", "o.pcb"}).err, "");
    EXPECT_EQ(RunCli({"import-protel", "--image-size", "300x400", "o.pcb", "c.dpb"}).err, "");
    EXPECT_FALSE(std::filesystem::exists("img_pcb.col"));
}
