#include "exchange/scratch_dir.h"
#include "tests/cli/cli_run.h"

#include <filesystem>

TEST(CliUsage, TheProgramIsBuilt) {
    ASSERT_TRUE(std::filesystem::exists(CliPath())) << CliPath();
}

TEST(CliUsage, NoCommandOrAnUnknownOneIsBadUsage) {
    ScratchDir dir;
    CliResult r = RunCli({});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("usage: tracevu-cli COMMAND"), std::string::npos);
    r = RunCli({"frobnicate"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("unknown command"), std::string::npos);
}

TEST(CliUsage, HelpOnTheProgramAndEveryCommand) {
    ScratchDir dir;
    CliResult r = RunCli({"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* command : {"export-protel", "import-protel", "info"})
        EXPECT_NE(r.out.find(command), std::string::npos) << command;
    for (const char* command : {"export-protel", "import-protel", "info"}) {
        r = RunCli({command, "--help"});
        EXPECT_EQ(r.status, 0) << command;
        EXPECT_EQ(r.out.rfind(std::string("usage: tracevu-cli ") + command, 0), 0u) << r.out;
        EXPECT_EQ(r.err, "");
    }
}

TEST(CliUsage, WrongArgumentsAreBadUsage) {
    ScratchDir dir;
    const std::vector<std::vector<std::string>> cases = {
        {"export-protel", "--image-size", "10x10", "only-one.dpb"},
        {"export-protel", "a.dpb", "b.pcb"},                                       // no image
        {"export-protel", "--image", "s.bmp", "--image-size", "1x1", "a", "b"},    // both
        {"export-protel", "--image-size", "10", "a.dpb", "b.pcb"},                 // not WxH
        {"export-protel", "--image-size", "0x10", "a.dpb", "b.pcb"},               // zero
        {"export-protel", "--image-size", "10x10", "--scan-lines", "0", "a", "b"}, // no dpi
        {"import-protel", "--image-size", "10x10", "--scan-lines", "200,", "a", "b"},
        {"import-protel", "--image-size", "10x10", "--scan-lines", "-3", "a", "b"},
        {"import-protel", "--image-size", "10x10", "--bogus", "a", "b"},
        {"import-protel", "--image-size"},
        {"info"},
        {"info", "a.bmp", "b.bmp"},
    };
    for (const auto& args : cases) {
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.status, 2) << args[0] << " " << args.size();
        EXPECT_NE(r.err.find("usage: tracevu-cli " + args[0]), std::string::npos) << r.err;
    }
}
