// The image side of the board view: painting at the zoom factor and on the
// page, scroll sizes, palette realisation, copy and paste.
#include "board/dib_view.h"
#include "dib_test_util.h"
#include "image/dib_doc.h"
#include "platform/clipboard.h"
#include "platform/scripted/scripted_host.h"
#include "platform/scripted/scripted_services.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// One document with one view on a scripted window.
struct Window {
    CDibDoc doc;
    ScriptedViewHost host;
    std::unique_ptr<CDibView> view = std::make_unique<CDibView>();

    Window() {
        view->AttachHost(&host);
        doc.AddView(view.get());
    }
    ~Window() { view.reset(); }

    bool Open(const corpus::Recipe& recipe) {
        return doc.OnOpenDocument(testutil::WriteTemp(recipe.name, corpus::Make(recipe).file));
    }
};

corpus::Recipe Sized(WORD bits, int width, int height) {
    corpus::Recipe recipe = corpus::Of("img" + std::to_string(bits) + "-" + std::to_string(width), bits);
    recipe.width = width;
    recipe.height = height;
    return recipe;
}

CRect DestOf(const DrawOp& op) { return CRect(op.a, op.b, op.a + op.c, op.b + op.d); }

class ViewImageTest : public ::testing::Test {
  protected:
    ScriptedServices services;
};

} // namespace

TEST_F(ViewImageTest, PaintsAtZoomOneUnscaledAndStretchesWhenZoomed) {
    Window w;
    ASSERT_TRUE(w.Open(Sized(8, 640, 480)));
    RecordingDC dc;
    w.view->OnDraw(&dc);
    EXPECT_EQ(w.view->m_nImageWidth, 640);
    EXPECT_EQ(w.view->m_nImageHeight, 480);
    EXPECT_EQ(w.view->m_rcImageDest, CRect(0, 0, 640, 480));
    std::vector<DrawOp> drawn = dc.Drawn();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].kind, DrawOp::SetDIBits);
    EXPECT_EQ(DestOf(drawn[0]), CRect(0, 0, 640, 480));

    w.view->m_nScale = 4;
    dc.ops.clear();
    w.view->OnDraw(&dc);
    EXPECT_EQ(w.view->m_rcImageDest, CRect(0, 0, 2560, 1920));
    drawn = dc.Drawn();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].kind, DrawOp::StretchDIBits);
    EXPECT_EQ(DestOf(drawn[0]), CRect(0, 0, 2560, 1920));
    EXPECT_EQ((CRect{drawn[0].sx, drawn[0].sy, drawn[0].sw, drawn[0].sh}), CRect(0, 0, 640, 480));
}

TEST_F(ViewImageTest, PrintingFillsThePageWidthKeepingTheProportionsInInches) {
    Window w;
    ASSERT_TRUE(w.Open(Sized(1, 1000, 500)));
    RecordingDC printer;
    printer.SetPrinting(4800, 600, 600);
    w.view->OnDraw(&printer);
    EXPECT_EQ(w.view->m_rcImageDest, CRect(0, 0, 4800, 2400));
    ASSERT_EQ(printer.Drawn().size(), 1u);
    EXPECT_EQ(printer.Drawn()[0].kind, DrawOp::StretchDIBits);

    w.view->m_nScale = 2;
    w.view->OnDraw(&printer);
    EXPECT_EQ(w.view->m_rcImageDest, CRect(0, 0, 9600, 4800));

    w.view->m_nScale = 1;
    RecordingDC coarse;
    coarse.SetPrinting(4800, 600, 300);
    w.view->OnDraw(&coarse);
    EXPECT_EQ(w.view->m_rcImageDest, CRect(0, 0, 4800, 1200));
}

TEST_F(ViewImageTest, WithoutAnImageOnlyTheBoardIsPaintedAndTheSizeIsKept) {
    Window w;
    w.doc.OnNewDocument();
    w.view->m_nImageWidth = 77;
    w.view->m_nImageHeight = 55;
    RecordingDC dc;
    w.view->OnDraw(&dc);
    EXPECT_TRUE(dc.Drawn().empty());
    EXPECT_EQ(w.view->m_nImageWidth, 77);
    EXPECT_EQ(w.view->m_nImageHeight, 55);
}

// Repaints do not erase: beside the picture the view paints the window
// colour itself, or a replaced or hidden board would stay on the screen.
TEST_F(ViewImageTest, TheAreaBesideThePictureIsPaintedInTheWindowColour) {
    const auto fills = [](const RecordingDC& dc) {
        std::vector<CRect> out;
        for (const DrawOp& op : dc.ops)
            if (op.kind == DrawOp::FillRect) {
                EXPECT_EQ(op.brush.color, RGB(255, 255, 255));
                out.emplace_back(op.a, op.b, op.c, op.d);
            }
        return out;
    };
    Window w;
    ASSERT_TRUE(w.Open(Sized(8, 64, 48)));
    RecordingDC dc;
    dc.clipBox = CRect(10, 20, 200, 100);
    w.view->OnDraw(&dc);
    EXPECT_EQ(fills(dc), (std::vector<CRect>{{64, 20, 200, 100}, {10, 48, 64, 100}}));

    w.view->m_nScale = 2;
    dc.ops.clear();
    w.view->OnDraw(&dc);
    EXPECT_EQ(fills(dc), (std::vector<CRect>{{128, 20, 200, 100}, {10, 96, 128, 100}}));

    dc.ops.clear();
    dc.clipBox = CRect(0, 0, 50, 40);
    w.view->OnDraw(&dc);
    EXPECT_TRUE(fills(dc).empty()) << "the picture covers it all";

    RecordingDC printer;
    printer.SetPrinting(4800, 600, 600);
    printer.clipBox = CRect(0, 0, 4800, 9000);
    w.view->OnDraw(&printer);
    EXPECT_TRUE(fills(printer).empty());

    Window empty;
    empty.doc.OnNewDocument();
    RecordingDC blank;
    blank.clipBox = CRect(5, 6, 70, 80);
    empty.view->OnDraw(&blank);
    EXPECT_EQ(fills(blank), (std::vector<CRect>{{5, 6, 70, 80}}));
}

TEST_F(ViewImageTest, InitialUpdateSetsTheScrollRangeToTheImage) {
    Window w;
    w.view->OnInitialUpdate();
    EXPECT_EQ(w.view->GetTotalSize(), CSize(1, 1));
    ASSERT_TRUE(w.Open(Sized(24, 300, 200)));
    w.view->OnInitialUpdate();
    EXPECT_EQ(w.view->GetTotalSize(), CSize(300, 200));
    EXPECT_EQ(w.view->GetMapMode(), MM_TEXT);
}

TEST_F(ViewImageTest, APastedPictureCanBeScrolledWholeInEveryZoomedWindowOfTheDocument) {
    Window w;
    ASSERT_TRUE(w.Open(Sized(24, 30, 20)));
    CDibView second;
    ScriptedViewHost secondHost;
    second.AttachHost(&secondHost);
    w.doc.AddView(&second);
    second.OnInitialUpdate();
    w.view->m_nScale = 4;
    second.m_nScale = 2;

    const corpus::Bitmap bigger = corpus::Make(Sized(8, 300, 200));
    ASSERT_TRUE(services.clipboard.Open());
    services.clipboard.SetData(CF_DIB, testutil::BlockOf(testutil::DibPart(bigger.file)));
    services.clipboard.Close();
    w.view->OnEditPaste();
    ASSERT_EQ(w.doc.GetImageSize(), CSize(300, 200));
    EXPECT_EQ(w.view->GetTotalSize(), CSize(1200, 800));
    EXPECT_EQ(second.GetTotalSize(), CSize(600, 400));
}

TEST_F(ViewImageTest, ActivationRealisesAPaletteOnlyWhenThereIsOne) {
    Window w;
    ASSERT_TRUE(w.Open(Sized(24, 20, 10)));
    w.view->OnActivateView(true, w.view.get(), nullptr);
    EXPECT_TRUE(w.host.clientDrawing.ops.empty());

    Window paletted;
    ASSERT_TRUE(paletted.Open(Sized(8, 20, 10)));
    paletted.view->OnActivateView(true, paletted.view.get(), nullptr);
    const std::vector<DrawOp>& ops = paletted.host.clientDrawing.ops;
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[0].kind, DrawOp::SelectPalette);
    EXPECT_FALSE(ops[0].flag) << "the active view realises in the foreground";
    EXPECT_EQ(ops[1].kind, DrawOp::RealizePalette);
    EXPECT_EQ(ops[2].kind, DrawOp::SelectPalette);
    EXPECT_TRUE(ops[2].flag);

    paletted.host.clientDrawing.ops.clear();
    paletted.view->OnRealizeDibPalette(w.view.get(), 0);
    ASSERT_FALSE(paletted.host.clientDrawing.ops.empty());
    EXPECT_TRUE(paletted.host.clientDrawing.ops[0].flag) << "another view's turn: background";
}

TEST_F(ViewImageTest, CopyAndPasteMoveTheImageBetweenDocuments) {
    Window from, to;
    const corpus::Recipe eight = Sized(8, 40, 30);
    ASSERT_TRUE(from.Open(eight));
    ASSERT_TRUE(to.Open(Sized(24, 10, 10)));
    ASSERT_TRUE(to.view->AppendPad(3, 4));
    ASSERT_TRUE(to.view->AppendTrack(1, 2, 3, 4, 1));

    CCmdUI ui;
    from.view->OnUpdateEditPaste(&ui);
    EXPECT_FALSE(ui.enabled);
    from.view->OnUpdateEditCopy(&ui);
    EXPECT_TRUE(ui.enabled);
    from.view->OnEditCopy();
    ASSERT_TRUE(services.clipboard.IsFormatAvailable(CF_DIB));
    EXPECT_NE(services.clipboard.data[CF_DIB], from.doc.GetDibBlock()) << "the clipboard owns a copy";
    EXPECT_FALSE(services.clipboard.isOpen);
    to.view->OnUpdateEditPaste(&ui);
    EXPECT_TRUE(ui.enabled);

    to.host.invalidations.clear();
    services.messages.clear();
    to.view->OnEditPaste();
    EXPECT_TRUE(services.messages.empty());
    EXPECT_FALSE(services.clipboard.isOpen);
    EXPECT_EQ(to.doc.GetImageSize(), CSize(40, 30));
    ASSERT_NE(to.doc.GetDibPalette(), nullptr);
    EXPECT_TRUE(to.doc.IsModified());
    EXPECT_EQ(to.view->GetTotalSize(), CSize(40, 30));
    EXPECT_FALSE(to.host.invalidations.empty()) << "the views repaint";
    EXPECT_EQ(testutil::Decode(to.doc.GetDibBlock(), 0, 0, 40, 30), corpus::Make(eight).expected);
    EXPECT_NE(to.doc.GetDibBlock(), from.doc.GetDibBlock());
    EXPECT_EQ(to.view->m_nPadCount, 1);
    EXPECT_EQ(to.view->m_nTrackCount, 1);
    EXPECT_TRUE(services.clipboard.IsFormatAvailable(CF_DIB)) << "the clipboard keeps its copy";
    EXPECT_EQ(services.waitDepth, 0);
    to.view->ClearBoard();
}

TEST_F(ViewImageTest, ARefusedPasteKeepsThePictureTheUserHad) {
    Window w;
    ASSERT_TRUE(w.Open(Sized(8, 20, 10)));
    const HDIB before = w.doc.GetDibBlock();
    services.messages.clear();

    std::vector<BYTE> topDown = testutil::DibPart(corpus::Make(Sized(8, 20, 10)).file);
    corpus::Set32(topDown, 8, static_cast<DWORD>(-10));
    ASSERT_TRUE(services.clipboard.Open());
    services.clipboard.SetData(CF_DIB, testutil::BlockOf(topDown));
    services.clipboard.Close();
    w.view->OnEditPaste();
    EXPECT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages.at(0).text, "DIB is too large");
    EXPECT_EQ(w.doc.GetDibBlock(), before);
    EXPECT_NE(w.doc.GetDibPalette(), nullptr);
    EXPECT_FALSE(w.doc.IsModified());

    services.messages.clear();
    std::vector<BYTE> cut = testutil::DibPart(corpus::Make(Sized(8, 20, 10)).file);
    cut.resize(cut.size() - 30);
    ASSERT_TRUE(services.clipboard.Open());
    services.clipboard.SetData(CF_DIB, testutil::BlockOf(cut));
    services.clipboard.Close();
    w.view->OnEditPaste();
    EXPECT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages.at(0).text, "Cannot load DIB");
    EXPECT_EQ(w.doc.GetDibBlock(), before);
    EXPECT_EQ(w.doc.GetImageSize(), CSize(20, 10));
}

TEST_F(ViewImageTest, PasteReadsLongHeadersFromOtherPrograms) {
    Window w;
    ASSERT_TRUE(w.Open(Sized(8, 20, 10)));
    corpus::Recipe v5 = corpus::Of("v5", 24, BI_RGB, corpus::Header::V5);
    const corpus::Bitmap bmp = corpus::Make(v5);
    ASSERT_TRUE(services.clipboard.Open());
    services.clipboard.SetData(CF_DIB, testutil::BlockOf(testutil::DibPart(bmp.file)));
    services.clipboard.Close();
    services.messages.clear();
    w.view->OnEditPaste();
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(w.doc.GetImageSize(), CSize(13, 7));
    EXPECT_EQ(testutil::Decode(w.doc.GetDibBlock(), 0, 0, 13, 7), bmp.expected);
}

TEST_F(ViewImageTest, ABusyClipboardMakesCopyAndPasteDoNothing) {
    Window w;
    ASSERT_TRUE(w.Open(Sized(8, 20, 10)));
    services.clipboard.busy = true;
    w.view->OnEditCopy();
    EXPECT_TRUE(services.clipboard.data.empty());
    services.clipboard.busy = false;
    w.view->OnEditPaste();
    EXPECT_FALSE(w.doc.IsModified());

    Window empty;
    empty.doc.OnNewDocument();
    CCmdUI ui;
    empty.view->OnUpdateEditCopy(&ui);
    EXPECT_FALSE(ui.enabled);
    w.view->OnEditCopy();
    empty.view->OnEditCopy();
    EXPECT_TRUE(services.clipboard.IsFormatAvailable(CF_DIB))
        << "copying from a document without an image leaves the clipboard as it was";
}
