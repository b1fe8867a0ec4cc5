// Saving the image of scans that came from other formats than BMP.
#include "shell_fixture.h"

#include "image/dib_doc.h"

#include <cstdlib>

TEST_F(ShellTest, SavingAJpegScanAsksForANewNameAndOffersPngFirst) {
    ASSERT_EQ(std::system("convert " TRACEVU_SOURCE_DIR "/res/sample-scan.bmp -quality 85 "
                          "photo.jpg"),
              0);
    ASSERT_TRUE(Start({"photo.jpg"}));
    ASSERT_EQ(Children().size(), 1u);
    ASSERT_EQ(Children()[0]->Document()->GetImageFormat(), ImageFormat::Jpeg);
    services.fileAnswers.push_back(std::nullopt);
    ASSERT_TRUE(Run(ID_FILE_SAVE));
    ASSERT_EQ(services.fileRequests.size(), 1u);
    const FileDialogRequest& request = services.fileRequests[0];
    EXPECT_FALSE(request.open);
    EXPECT_TRUE(request.initialName.ends_with("/photo.png")) << request.initialName;
    EXPECT_EQ(request.defaultExt, "png");
    EXPECT_EQ(request.filter.rfind("PNG Files (*.png)|*.png|BMP Files (*.bmp)|*.bmp|", 0), 0u)
        << request.filter;
}

TEST_F(ShellTest, SaveAsOfAPngScanOffersItsOwnFormatFirst) {
    ASSERT_EQ(std::system("convert " TRACEVU_SOURCE_DIR "/res/sample-scan.bmp scan.png"), 0);
    ASSERT_TRUE(Start({"scan.png"}));
    services.fileAnswers.push_back(std::nullopt);
    ASSERT_TRUE(Run(ID_FILE_SAVE_AS));
    ASSERT_EQ(services.fileRequests.size(), 1u);
    EXPECT_TRUE(services.fileRequests[0].initialName.ends_with("/scan.png"));
    EXPECT_EQ(services.fileRequests[0].defaultExt, "png");
    // Save of it writes where it came from, asking nothing.
    services.fileRequests.clear();
    ASSERT_TRUE(Run(ID_FILE_SAVE));
    EXPECT_TRUE(services.fileRequests.empty());
}
