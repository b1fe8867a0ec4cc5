// Placeholders until the image side lands; this file is removed then.
#include "board/dib_view.h"
#include "image/dib_doc.h"

WORD DibColorCount(const void*) { return 0; }
WORD DibColorTableBytes(const void*) { return 0; }
BYTE* DibPixelData(const void*) { return nullptr; }
DWORD DibGetWidth(const void*) { return 0; }
DWORD DibGetHeight(const void*) { return 0; }
bool DibMakePalette(HDIB, CPalette*) { return false; }
HGLOBAL DuplicateGlobalBlock(HGLOBAL) { return nullptr; }
int DibRender(CDC*, const CRect&, HDIB, const CRect&, CPalette*) { return 0; }
HDIB DibReadFile(CFile&) { return nullptr; }
bool DibWriteFile(HDIB, CFile&) { return false; }

CDibDoc::CDibDoc() = default;
CDibDoc::~CDibDoc() = default;
bool CDibDoc::OnNewDocument() { return CDocument::OnNewDocument(); }
bool CDibDoc::OnOpenDocument(const std::string&) { return false; }
bool CDibDoc::OnSaveDocument(const std::string&) { return false; }
void CDibDoc::PrepareDib() {}
void CDibDoc::ReplaceDibBlock(HDIB) {}

void CDibView::OnDraw(CDC*) { DrawBoard(); }
void CDibView::OnInitialUpdate() { CScrollView::OnInitialUpdate(); }
void CDibView::OnActivateView(bool, CScrollView*, CScrollView*) {}
long CDibView::OnRealizeDibPalette(CScrollView*, long) { return 0; }
void CDibView::OnEditCopy() {}
void CDibView::OnUpdateEditCopy(CCmdUI* ui) { ui->Enable(false); }
void CDibView::OnEditPaste() {}
void CDibView::OnUpdateEditPaste(CCmdUI* ui) { ui->Enable(false); }
void CDibView::SetScrollSizesFromImage() {}
