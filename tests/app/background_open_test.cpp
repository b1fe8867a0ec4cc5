// Opening a scan while its decode runs on a worker: the window is there,
// shown, with how far the read has got, before the picture is in; a window
// closed during the read cancels it and goes, leaving the others as they
// were.
#include "app/loading_panel.h"
#include "board/dib_view.h"
#include "image/dib_doc.h"
#include "platform/scripted/scripted_work.h"
#include "shell_fixture.h"

#include <QApplication>
#include <QPushButton>

#include <filesystem>

namespace {

class BackgroundOpenTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        std::filesystem::copy_file(TRACEVU_SOURCE_DIR "/res/sample-scan.bmp", "loading.bmp",
                                   std::filesystem::copy_options::overwrite_existing);
        path = QDir::current().absoluteFilePath("loading.bmp");
    }
    // Everything that was said; a colour file not there yet says nothing.
    std::vector<std::string> OpenMessages() const {
        std::vector<std::string> texts;
        for (const ShownMessage& m : services.messages)
            texts.push_back(m.text);
        return texts;
    }
    CChildFrame* Loading() {
        for (CChildFrame* child : Children())
            if (child->Loading())
                return child;
        return nullptr;
    }

    ScriptedWork work{ScriptedWork::Mode::OnThread};
    QString path;
};

TEST_F(BackgroundOpenTest, TheWindowIsShownWithItsProgressBeforeThePictureIsIn) {
    ASSERT_TRUE(Start());
    bool looked = false;
    work.whileRunning = [&] {
        looked = true;
        CChildFrame* child = Loading();
        ASSERT_NE(child, nullptr);
        EXPECT_TRUE(child->isVisible());
        EXPECT_TRUE(Frame().isVisible());
        EXPECT_EQ(child->Name(), "loading.bmp");
        EXPECT_EQ(child->Loading()->Text(), "Opening loading.bmp...");
        EXPECT_TRUE(child->Loading()->CancelButton()->isHidden());
        EXPECT_EQ(Frame().ActiveChild(), child);
    };
    services.fileAnswers.push_back(path.toStdString());
    ASSERT_TRUE(Run(ID_FILE_OPEN));
    EXPECT_TRUE(looked);
    ASSERT_EQ(Children().size(), 1u) << "the scan took the place of the empty start window";
    CChildFrame* opened = Frame().ActiveChild();
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->Loading(), nullptr);
    EXPECT_EQ(opened->Document()->GetImageSize(), CSize(1600, 1200));
    EXPECT_GT(opened->View()->GetTotalSize().cx, 1);
}

TEST_F(BackgroundOpenTest, WorkBegunInTheStartWindowDuringTheReadKeepsIt) {
    ASSERT_TRUE(Start());
    CChildFrame* start = Children().front();
    work.whileRunning = [&] { ASSERT_TRUE(start->View()->AppendPad(3, 4)); };
    services.fileAnswers.push_back(path.toStdString());
    ASSERT_TRUE(Run(ID_FILE_OPEN));
    QApplication::processEvents();
    ASSERT_EQ(Children().size(), 2u);
    EXPECT_EQ(Children().front(), start);
    EXPECT_EQ(start->View()->m_nPadCount, 1);
}

TEST_F(BackgroundOpenTest, TheCancelButtonComesAfterTwoSeconds) {
    ASSERT_TRUE(Start());
    work.whileRunning = [&] {
        CChildFrame* child = Loading();
        ASSERT_NE(child, nullptr);
        child->ShowLoadingStatus("Opening loading.bmp... 40%", 1.9);
        EXPECT_TRUE(child->Loading()->CancelButton()->isHidden());
        child->ShowLoadingStatus("Opening loading.bmp... 41%", 2.0);
        EXPECT_FALSE(child->Loading()->CancelButton()->isHidden());
        EXPECT_EQ(child->Loading()->Text(), "Opening loading.bmp... 41%");
        child->Loading()->CancelButton()->click();
    };
    services.fileAnswers.push_back(path.toStdString());
    services.messages.clear();
    ASSERT_TRUE(Run(ID_FILE_OPEN));
    EXPECT_EQ(Children().size(), 1u) << "the cancelled window stayed";
    EXPECT_EQ(OpenMessages(), std::vector<std::string>{});
}

TEST_F(BackgroundOpenTest, ClosingTheWindowDuringTheReadCancelsItAndLeavesTheOthers) {
    ASSERT_TRUE(Start({path}));
    ASSERT_EQ(Children().size(), 1u);
    CChildFrame* first = Children().front();
    CDibDoc* firstDocument = first->Document();
    const HDIB firstPicture = firstDocument->GetDibBlock();

    std::filesystem::copy_file("loading.bmp", "second.bmp",
                               std::filesystem::copy_options::overwrite_existing);
    work.whileRunning = [&] {
        CChildFrame* child = Loading();
        ASSERT_NE(child, nullptr);
        EXPECT_FALSE(child->close()) << "a window closed under its read";
    };
    services.messages.clear();
    services.fileAnswers.push_back(QDir::current().absoluteFilePath("second.bmp").toStdString());
    ASSERT_TRUE(Run(ID_FILE_OPEN));
    QApplication::processEvents();
    ASSERT_EQ(Children().size(), 1u);
    EXPECT_EQ(Children().front(), first);
    EXPECT_EQ(first->Document(), firstDocument);
    EXPECT_EQ(firstDocument->GetDibBlock(), firstPicture);
    EXPECT_EQ(Frame().ActiveChild(), first);
    EXPECT_EQ(OpenMessages(), std::vector<std::string>{});
    EXPECT_EQ(services.statusPanes[0], "Opening second.bmp cancelled");
}

TEST_F(BackgroundOpenTest, AStartUpFileWhoseReadIsCancelledLeavesTheProgramRunning) {
    work.stopAt = 0.0;
    EXPECT_TRUE(Start({path}));
    EXPECT_TRUE(Frame().isVisible());
    EXPECT_TRUE(Children().empty());
    EXPECT_EQ(OpenMessages(), std::vector<std::string>{});
}

TEST_F(BackgroundOpenTest, AFailedReadRemovesItsWindowAfterSayingWhy) {
    ASSERT_TRUE(Start());
    {
        QFile file("broken.bmp");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("BM and nothing after");
    }
    services.messages.clear();
    services.fileAnswers.push_back(QDir::current().absoluteFilePath("broken.bmp").toStdString());
    ASSERT_TRUE(Run(ID_FILE_OPEN));
    ASSERT_FALSE(services.messages.empty());
    EXPECT_EQ(services.messages.back().text, "Cannot load DIB");
    EXPECT_EQ(Children().size(), 1u);
    EXPECT_EQ(work.runs, 1);
}

} // namespace
