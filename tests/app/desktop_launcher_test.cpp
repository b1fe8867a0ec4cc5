// The launcher the desktop entry starts: it runs the program next to it in
// the user's configuration folder for tracevu, made when missing, with the
// files it was given.
#include "tests/support/read_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class DesktopLauncher : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::current_path() / ("launcher-" + std::string(::testing::UnitTest::GetInstance()
                                                                   ->current_test_info()
                                                                   ->name()));
        fs::remove_all(root);
        fs::create_directories(root / "bin");
        fs::copy_file(TRACEVU_SOURCE_DIR "/res/tracevu-desktop", root / "bin/tracevu-desktop");
        // A stand-in program that notes where it runs and what it was given.
        std::ofstream(root / "bin/tracevu") << "#!/bin/sh\n"
                                               "pwd > \"$NOTE\"\n"
                                               "for a do echo \"[$a]\" >> \"$NOTE\"; done\n";
        fs::permissions(root / "bin/tracevu", fs::perms::owner_all);
        fs::create_directories(root / "home");
        fs::create_directories(root / "shell");
    }
    // Runs the launcher from the folder `shell` with the environment given.
    int Launch(const std::string& environment, const std::string& arguments) {
        const std::string command = "cd '" + (root / "shell").string() + "' && env -u XDG_CONFIG_HOME " +
                                    "HOME='" + (root / "home").string() + "' NOTE='" +
                                    (root / "note").string() + "' " + environment + " sh '" +
                                    (root / "bin/tracevu-desktop").string() + "' " + arguments;
        return std::system(command.c_str());
    }
    std::string Note() { return ReadFileBytes((root / "note").string()); }

    fs::path root;
};

TEST_F(DesktopLauncher, RunsTheProgramInTheConfigurationFolderUnderHome) {
    ASSERT_EQ(Launch("", "'/scans/a b.bmp' -- relative.bmp"), 0);
    const fs::path config = root / "home/.config/tracevu";
    EXPECT_TRUE(fs::is_directory(config)) << "made when missing";
    EXPECT_EQ(Note(), config.string() + "\n[/scans/a b.bmp]\n[--]\n[" +
                          (root / "shell").string() + "/relative.bmp]\n")
        << "a relative name still names the file it did";
}

TEST_F(DesktopLauncher, FollowsXdgConfigHomeAndTakesAnExistingFolder) {
    const fs::path config = root / "config";
    fs::create_directories(config / "tracevu");
    std::ofstream(config / "tracevu/img_pcb.col") << "kept";
    ASSERT_EQ(Launch("XDG_CONFIG_HOME='" + config.string() + "'", ""), 0);
    EXPECT_EQ(Note(), (config / "tracevu").string() + "\n");
    EXPECT_EQ(ReadFileBytes((config / "tracevu/img_pcb.col").string()), "kept");
    // A relative XDG_CONFIG_HOME is not valid and is ignored.
    ASSERT_EQ(Launch("XDG_CONFIG_HOME=relative", ""), 0);
    EXPECT_EQ(Note(), (root / "home/.config/tracevu").string() + "\n");
}

TEST_F(DesktopLauncher, AFolderThatCannotBeMadeEndsItWithAnError) {
    std::ofstream(root / "home/.config") << "a file in the way";
    EXPECT_NE(Launch("", ""), 0);
    EXPECT_FALSE(fs::exists(root / "note")) << "the program was not started";
}

} // namespace
