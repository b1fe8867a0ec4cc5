// The image document: opening, refusing, saving and its messages.
#include "dib_test_util.h"
#include "support/fifo_guard.h"
#include "image/dib_doc.h"
#include "platform/save_calls.h"
#include "platform/scripted/failing_save_calls.h"
#include "platform/scripted/scripted_services.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using corpus::Header;

namespace {

class DibDocTest : public ::testing::Test {
  protected:
    std::vector<std::string> Texts() const { return services.MessageTexts(); }
    std::string Write(const std::string& name, const corpus::Recipe& recipe) {
        return testutil::WriteTemp(name, corpus::Make(recipe).file);
    }
    std::vector<std::uint32_t> Pixels(const CDibDoc& doc) {
        const CSize size = doc.GetImageSize();
        return testutil::Decode(doc.GetDibBlock(), 0, 0, size.cx, size.cy);
    }

    ScriptedServices services;
};

using Messages = std::vector<std::string>;

} // namespace

TEST_F(DibDocTest, OpeningATrueColourFileGivesAnImageWithoutPalette) {
    corpus::Recipe recipe = corpus::Of("24", 24);
    recipe.width = 31;
    recipe.height = 9;
    const std::string path = Write("scan", recipe);
    CDibDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_TRUE(services.messages.empty());
    EXPECT_NE(doc.GetDibBlock(), nullptr);
    EXPECT_EQ(doc.GetDibPalette(), nullptr);
    EXPECT_EQ(doc.GetImageSize(), CSize(31, 9));
    EXPECT_EQ(doc.GetTitle(), "scan.bmp");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(services.recentFiles, std::vector<std::string>{path});
    EXPECT_EQ(services.waitDepth, 0);
    EXPECT_GT(services.waitCursors, 0);
    EXPECT_EQ(Pixels(doc), corpus::Make(recipe).expected);
}

TEST_F(DibDocTest, PalettedImagesGetTheirPalette) {
    CDibDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(Write("four", corpus::Of("4", 4, BI_RLE4))));
    ASSERT_NE(doc.GetDibPalette(), nullptr);
    EXPECT_EQ(doc.GetDibPalette()->Entries().size(), 16u);
}

TEST_F(DibDocTest, NewDocumentHasNoImage) {
    CDibDoc doc;
    EXPECT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.GetDibBlock(), nullptr);
    EXPECT_EQ(doc.GetImageSize(), CSize(1, 1));
}

TEST_F(DibDocTest, TopDownImagesAreTooLargeAndNotLoaded) {
    corpus::Bitmap bmp = corpus::Make(corpus::Of("8", 8));
    corpus::Set32(bmp.file, 14 + 8, static_cast<DWORD>(-7));
    CDibDoc doc;
    EXPECT_FALSE(doc.OnOpenDocument(testutil::WriteTemp("topdown", bmp.file)));
    EXPECT_EQ(Texts(), (Messages{"DIB is too large", "Cannot load DIB"}));
    EXPECT_EQ(services.messages[0].caption, "");
    EXPECT_EQ(services.messages[0].icon(), MB_ICONINFORMATION);
    EXPECT_EQ(doc.GetDibBlock(), nullptr);
    EXPECT_EQ(doc.GetImageSize(), CSize(1, 1));
    EXPECT_EQ(services.waitDepth, 0);
}

TEST_F(DibDocTest, BrokenFilesSayOnlyCannotLoad) {
    CDibDoc doc;
    corpus::WriteFile("text.bmp", {'n', 'o', 't', ' ', 'a', ' ', 'b', 'i', 't', 'm', 'a', 'p',
                                   '.', '.', '.', '.'});
    EXPECT_FALSE(doc.OnOpenDocument("text.bmp"));
    EXPECT_EQ(Texts(), Messages{"Cannot load DIB"});

    // Lying headers, cut files, absurd sizes: each is one plain refusal.
    std::vector<std::vector<BYTE>> broken;
    corpus::Bitmap bmp = corpus::Make(corpus::Of("8", 8));
    broken.emplace_back(bmp.file.begin(), bmp.file.end() - 1);
    std::vector<BYTE> lying = bmp.file;
    corpus::Set32(lying, 14 + 32, 40000); // colours used
    broken.push_back(lying);
    std::vector<BYTE> huge = bmp.file;
    corpus::Set32(huge, 14 + 4, 100000);
    corpus::Set32(huge, 14 + 8, 100000);
    broken.push_back(huge);
    std::vector<BYTE> depth = bmp.file;
    depth[14 + 14] = 3;
    broken.push_back(depth);
    std::vector<BYTE> headerOnly(bmp.file.begin(), bmp.file.begin() + 14);
    broken.push_back(headerOnly);
    for (std::size_t i = 0; i < broken.size(); ++i) {
        services.messages.clear();
        EXPECT_FALSE(doc.OnOpenDocument(testutil::WriteTemp("broken", broken[i]))) << i;
        EXPECT_EQ(Texts(), Messages{"Cannot load DIB"}) << i;
        EXPECT_EQ(doc.GetDibBlock(), nullptr);
    }
}

TEST_F(DibDocTest, MissingFileIsReportedAsAFileError) {
    CDibDoc doc;
    EXPECT_FALSE(doc.OnOpenDocument("no-such-file.bmp"));
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].text.find("no-such-file.bmp was not found"), std::string::npos)
        << services.messages[0].text;
}

TEST_F(DibDocTest, APipeOrDirectoryIsReportedAsUnreadableWithoutWaiting) {
    FifoGuard fifo(testing::TempDir() + "pipe.bmp");
    ASSERT_TRUE(fifo.Made());
    CDibDoc doc;
    EXPECT_FALSE(doc.OnOpenDocument(fifo.Path()));
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].text.find("pipe.bmp cannot be accessed"), std::string::npos)
        << services.messages[0].text;
    EXPECT_EQ(doc.GetDibBlock(), nullptr);
    EXPECT_FALSE(fifo.Released()) << "the open waited for a writer";

    services.messages.clear();
    EXPECT_FALSE(doc.OnOpenDocument(testing::TempDir()));
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].text.find("is invalid"), std::string::npos)
        << services.messages[0].text;
}

TEST_F(DibDocTest, AFailedOpenKeepsTheImageTheDocumentHad) {
    CDibDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(Write("good", corpus::Of("8", 8))));
    const HDIB before = doc.GetDibBlock();
    const std::vector<std::uint32_t> pixels = Pixels(doc);
    corpus::WriteFile("bad.bmp", {'B', 'M', 1, 2, 3});
    EXPECT_FALSE(doc.OnOpenDocument("bad.bmp"));
    EXPECT_EQ(doc.GetDibBlock(), before);
    EXPECT_NE(doc.GetDibPalette(), nullptr);
    EXPECT_EQ(Pixels(doc), pixels);
    EXPECT_EQ(doc.GetPathName(), "good.bmp");
}

TEST_F(DibDocTest, SavingWritesAFileThatOpensWithTheSamePixels) {
    CDibDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(Write("v5", corpus::WithMasks(corpus::Of("v5", 16, BI_BITFIELDS, Header::V5),
                                                                  0xF800, 0x07E0, 0x001F))));
    doc.SetModifiedFlag(true);
    corpus::WriteFile("copy.bmp", std::vector<BYTE>(5000, 'x'));
    ASSERT_TRUE(doc.OnSaveDocument("copy.bmp"));
    EXPECT_TRUE(services.messages.empty());
    EXPECT_FALSE(doc.IsModified());
    CDibDoc again;
    ASSERT_TRUE(again.OnOpenDocument("copy.bmp"));
    EXPECT_EQ(Pixels(again), Pixels(doc));
    EXPECT_EQ(corpus::ReadFile("copy.bmp").size(), 14u + 40 + 12 + 28 * 7);
    EXPECT_EQ(services.waitDepth, 0);
}

TEST_F(DibDocTest, RefusedSavesLeaveTheExistingFileAndTheModifiedFlag) {
    const std::vector<BYTE> precious(321, 'p');
    corpus::WriteFile("precious.bmp", precious);

    CDibDoc empty;
    empty.OnNewDocument();
    EXPECT_FALSE(empty.OnSaveDocument("precious.bmp"));
    EXPECT_EQ(Texts(), Messages{"Cannot save DIB"});
    EXPECT_EQ(corpus::ReadFile("precious.bmp"), precious);

    services.messages.clear();
    CDibDoc core;
    ASSERT_TRUE(core.OnOpenDocument(Write("core", corpus::Of("c", 8, BI_RGB, Header::Core))));
    core.SetModifiedFlag(true);
    EXPECT_FALSE(core.OnSaveDocument("precious.bmp"));
    EXPECT_EQ(Texts(), Messages{"Cannot save DIB"});
    EXPECT_EQ(corpus::ReadFile("precious.bmp"), precious);
    EXPECT_TRUE(core.IsModified()) << "nothing was saved, so closing must still ask";
}

TEST_F(DibDocTest, SaveIntoAMissingFolderIsReportedAndWritesNothing) {
    CDibDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(Write("eight", corpus::Of("8", 8))));
    doc.SetModifiedFlag(true);
    EXPECT_FALSE(doc.OnSaveDocument("missing-folder/out.bmp"));
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].text.find("missing-folder/out.bmp"), std::string::npos);
    EXPECT_TRUE(doc.IsModified());
    struct stat st {};
    EXPECT_NE(stat("missing-folder", &st), 0);
}

TEST_F(DibDocTest, AFailedFinalWriteOrSyncIsReportedAndKeepsTheOldFile) {
    CDibDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(Write("eight", corpus::Of("8", 8))));
    const std::vector<BYTE> precious(321, 'p');
    // The small image stays in the stream's buffer until the save's final
    // flush, so the first write is also the last.
    for (const FailingSaveCalls::Kind kind : {FailingSaveCalls::write, FailingSaveCalls::fsync}) {
        services.messages.clear();
        corpus::WriteFile("kept.bmp", precious);
        doc.SetModifiedFlag(true);
        FailingSaveCalls calls;
        calls.FailFrom(kind, 1, ENOSPC);
        {
            ScopedSaveCalls scope(calls);
            EXPECT_FALSE(doc.OnSaveDocument("kept.bmp")) << kind;
        }
        EXPECT_EQ(calls.calls[FailingSaveCalls::write], 1) << kind;
        ASSERT_EQ(services.messages.size(), 1u) << kind;
        EXPECT_NE(services.messages[0].text.find("kept.bmp"), std::string::npos);
        EXPECT_TRUE(doc.IsModified()) << kind;
        EXPECT_EQ(corpus::ReadFile("kept.bmp"), precious) << kind;
    }
}

TEST_F(DibDocTest, ANameOfTheLongestAllowedLengthIsSaved) {
    CDibDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(Write("eight", corpus::Of("8", 8))));
    const std::string name = std::string(251, 'i') + ".bmp";
    for (int time = 0; time < 2; ++time) { // new, then over the file
        doc.SetModifiedFlag(true);
        EXPECT_TRUE(doc.OnSaveDocument(name));
    }
    EXPECT_TRUE(services.messages.empty());
    CDibDoc again;
    EXPECT_TRUE(again.OnOpenDocument(name));
    std::remove(name.c_str());
}

TEST_F(DibDocTest, PrepareDibDropsABlockThatCannotBeShown) {
    CDibDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(Write("eight", corpus::Of("8", 8))));
    std::vector<BYTE> dib = testutil::DibPart(corpus::Make(corpus::Of("8", 8)).file);
    dib.resize(dib.size() - 20);
    doc.ReplaceDibBlock(testutil::BlockOf(dib));
    doc.PrepareDib();
    EXPECT_EQ(doc.GetDibBlock(), nullptr);
    EXPECT_EQ(doc.GetDibPalette(), nullptr);
    EXPECT_EQ(doc.GetImageSize(), CSize(13, 7)) << "the size stays with the last image accepted";
}
