// User services on Qt: message boxes, file and colour dialogs driven as a
// user would, the Windows filter form, the wait cursor and the handlers of
// the main window.
#include "platform/qt/qt_user_services.h"

#include "modal_driver.h"

#include <gtest/gtest.h>

#include <QColorDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <fstream>

TEST(QtNameFilters, WindowsFilterPairsBecomeQtFilters) {
    EXPECT_EQ(QtNameFilters("Image Files (*.bmp)|*.bmp|All Files (*.*)|*.*||"),
              QStringList({"Image Files (*.bmp)", "All Files (*)"}));
    EXPECT_EQ(QtNameFilters("Work File|*.dpb||"), QStringList({"Work File (*.dpb)"}));
    EXPECT_EQ(QtNameFilters("Pictures (*.bmp;*.dib)|*.bmp; *.dib||"),
              QStringList({"Pictures (*.bmp *.dib)"}));
    // Without the closing bars, and with a pattern missing.
    EXPECT_EQ(QtNameFilters("Protel PCB (*.pcb)|*.pcb"), QStringList({"Protel PCB (*.pcb)"}));
    EXPECT_EQ(QtNameFilters("Anything|"), QStringList({"Anything (*)"}));
    EXPECT_TRUE(QtNameFilters("").isEmpty());
}

TEST(QtMessageBoxParts, TypesMapToButtonsIconsAndAnswers) {
    EXPECT_EQ(QtMessageBoxButtons(MB_OK), QMessageBox::Ok);
    EXPECT_EQ(QtMessageBoxButtons(MB_OKCANCEL), QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(QtMessageBoxButtons(MB_YESNO | MB_ICONQUESTION), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(QtMessageBoxButtons(MB_YESNOCANCEL),
              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(QtMessageBoxIcon(MB_OK | MB_ICONSTOP), QMessageBox::Critical);
    EXPECT_EQ(QtMessageBoxIcon(MB_YESNO | MB_ICONQUESTION), QMessageBox::Question);
    EXPECT_EQ(QtMessageBoxIcon(MB_ICONEXCLAMATION), QMessageBox::Warning);
    EXPECT_EQ(QtMessageBoxIcon(MB_ICONINFORMATION), QMessageBox::Information);
    EXPECT_EQ(QtMessageBoxIcon(MB_OK), QMessageBox::NoIcon);
    EXPECT_EQ(QtMessageBoxAnswer(QMessageBox::Ok), IDOK);
    EXPECT_EQ(QtMessageBoxAnswer(QMessageBox::Yes), IDYES);
    EXPECT_EQ(QtMessageBoxAnswer(QMessageBox::No), IDNO);
    EXPECT_EQ(QtMessageBoxAnswer(QMessageBox::Cancel), IDCANCEL);
}

TEST(QtUserServices, InstallsItselfWhileItLives) {
    {
        QtUserServices services;
        EXPECT_EQ(&Services(), &services);
        {
            QtUserServices inner;
            EXPECT_EQ(&Services(), &inner);
        }
        EXPECT_EQ(&Services(), &services);
    }
    EXPECT_EQ(SetServices(nullptr), nullptr);
}

TEST(QtUserServices, MessageBoxShowsCaptionIconAndReturnsTheAnswer) {
    QtUserServices services;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        icon = box->icon();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(
        services.MessageBox("Do you save your change?", "Quarzline", MB_YESNO | MB_ICONQUESTION),
        IDNO);
    EXPECT_EQ(title, QStringLiteral("Quarzline"));
    EXPECT_EQ(icon, QMessageBox::Question);

    // No caption: the program's name.
    QGuiApplication::setApplicationDisplayName(QStringLiteral("TracerUnderTest"));
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(services.MessageBox("Cannot load DIB", "", MB_OK), IDOK);
    EXPECT_EQ(title, QStringLiteral("TracerUnderTest"));
}

TEST(QtUserServices, SaveDialogAppliesTheDefaultExtension) {
    QtUserServices services;
    QStringList filters;
    QString windowTitle;
    QString initialName;
    WhenModal<QFileDialog>([&](QFileDialog* dialog) {
        filters = dialog->nameFilters();
        windowTitle = dialog->windowTitle();
        initialName = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText("board");
        static_cast<QDialog*>(dialog)->accept(); // as the Save or Open button does
        if (dialog->isVisible())
            dialog->reject(); // not taken: fail instead of waiting for ever
    });
    FileDialogRequest request;
    request.open = false;
    request.filter = "Work File (*.dpb)|*.dpb||";
    request.defaultExt = "dpb";
    request.initialName = "Dib1";
    request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    const std::optional<std::string> path = services.FileDialog(request);
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(QFileInfo(QString::fromStdString(*path)).fileName(), QStringLiteral("board.dpb"));
    EXPECT_EQ(filters, QStringList({"Work File (*.dpb)"}));
    EXPECT_EQ(windowTitle, QStringLiteral("Save As"));
    EXPECT_EQ(initialName, QStringLiteral("Dib1"));
}

TEST(QtUserServices, OpenDialogCancelledGivesNothing) {
    QtUserServices services;
    QSize shown;
    WhenModal<QFileDialog>([&shown](QFileDialog* dialog) {
        shown = dialog->size();
        dialog->reject();
    });
    FileDialogRequest request;
    request.filter = "Image Files (*.bmp)|*.bmp||";
    EXPECT_FALSE(services.FileDialog(request).has_value());
    // Wide enough for the columns of the file list, as far as the screen allows.
    const QSize room = QGuiApplication::primaryScreen()->availableSize() * 9 / 10;
    EXPECT_GE(shown.width(), std::min(800, room.width()));
    EXPECT_GE(shown.height(), std::min(500, room.height()));
}

TEST(QtUserServices, OpenDialogReturnsAnExistingFile) {
    QtUserServices services;
    std::ofstream("scan.bmp") << "BM";
    WhenModal<QFileDialog>([](QFileDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText("scan.bmp");
        static_cast<QDialog*>(dialog)->accept(); // as the Save or Open button does
        if (dialog->isVisible())
            dialog->reject(); // not taken: fail instead of waiting for ever
    });
    FileDialogRequest request;
    request.filter = "Image Files (*.bmp)|*.bmp||";
    const auto path = services.FileDialog(request);
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(QFileInfo(QString::fromStdString(*path)).canonicalFilePath(),
              QFileInfo(QStringLiteral("scan.bmp")).canonicalFilePath());
}

TEST(QtUserServices, ColourDialogAnswersWithTheChosenColour) {
    QtUserServices services;
    QColor initial;
    WhenModal<QColorDialog>([&](QColorDialog* dialog) {
        initial = dialog->currentColor();
        dialog->setCurrentColor(QColor(1, 2, 3));
        static_cast<QDialog*>(dialog)->accept(); // as the Save or Open button does
    });
    EXPECT_EQ(services.ChooseColor(RGB(255, 128, 0)), std::optional<COLORREF>(RGB(1, 2, 3)));
    EXPECT_EQ(initial, QColor(255, 128, 0));
    WhenModal<QColorDialog>([](QColorDialog* dialog) { dialog->reject(); });
    EXPECT_FALSE(services.ChooseColor(0).has_value());
}

TEST(QtUserServices, WaitCursorNests) {
    QtUserServices services;
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        CWaitCursor outer;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        {
            CWaitCursor inner;
            EXPECT_EQ(services.WaitCursorDepth(), 2);
        }
        EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    services.EndWaitCursor(); // one too many does no harm
    EXPECT_EQ(services.WaitCursorDepth(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(QtUserServices, StatusPanesAndRecentFilesGoToTheirHandlers) {
    QtUserServices services;
    services.SetStatusPaneText(0, "ignored without a handler");
    std::vector<std::pair<int, std::string>> panes;
    std::vector<std::string> recent;
    services.SetStatusPaneHandler(
        [&](int pane, const std::string& text) { panes.emplace_back(pane, text); });
    services.SetRecentFileHandler([&](const std::string& path) { recent.push_back(path); });
    services.SetStatusPaneText(1, "Top Layer");
    services.AddToRecentFileList("/tmp/a.bmp");
    ASSERT_EQ(panes.size(), 1u);
    EXPECT_EQ(panes[0], std::make_pair(1, std::string("Top Layer")));
    EXPECT_EQ(recent, std::vector<std::string>{"/tmp/a.bmp"});
    EXPECT_EQ(&services.Clipboard(), &services.Clipboard());
}
