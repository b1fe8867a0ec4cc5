#include "image/dib_doc.h"

#include "platform/atomic_file.h"
#include "platform/user_services.h"

#include <cerrno>
#include <optional>

namespace {

// The document's messages, from the string table.
constexpr const char* kTooLarge = "DIB is too large";
constexpr const char* kCannotLoad = "Cannot load DIB";
constexpr const char* kCannotSave = "Cannot save DIB";

void ShowMessage(const char* text) { Services().MessageBox(text, "", MB_OK | MB_ICONINFORMATION); }

CFileException ErrnoException(const std::string& path) {
    const int err = errno;
    return CFileException(CFileException::CauseFromErrno(err), err, path);
}

} // namespace

CDibDoc::CDibDoc() = default;

CDibDoc::~CDibDoc() {
    if (m_hDibBlock)
        GlobalFree(m_hDibBlock);
    delete m_pDibPalette;
}

bool CDibDoc::OnNewDocument() { return CDocument::OnNewDocument(); }

bool CDibDoc::AcceptDibBlock(HDIB block) {
    switch (DibCheckBlock(block)) {
    case DibCheck::TooLarge:
        GlobalFree(block);
        ShowMessage(kTooLarge);
        return false;
    case DibCheck::Invalid:
        GlobalFree(block);
        return false;
    case DibCheck::Ok:
        break;
    }
    ReplaceDibBlock(block);
    PrepareDib();
    return m_hDibBlock != nullptr;
}

void CDibDoc::PrepareDib() {
    delete m_pDibPalette;
    m_pDibPalette = nullptr;
    if (!m_hDibBlock)
        return;
    const DibCheck check = DibCheckBlock(m_hDibBlock);
    if (check != DibCheck::Ok) {
        GlobalFree(m_hDibBlock);
        m_hDibBlock = nullptr;
        if (check == DibCheck::TooLarge)
            ShowMessage(kTooLarge);
        return;
    }
    {
        GlobalLockGuard lock(m_hDibBlock);
        m_sizeImage = CSize(static_cast<int>(DibGetWidth(lock.get())),
                            static_cast<int>(DibGetHeight(lock.get())));
    }
    m_pDibPalette = new CPalette;
    if (!DibMakePalette(m_hDibBlock, m_pDibPalette)) {
        delete m_pDibPalette;
        m_pDibPalette = nullptr;
    }
}

void CDibDoc::ReplaceDibBlock(HDIB block) {
    if (m_hDibBlock)
        GlobalFree(m_hDibBlock);
    m_hDibBlock = block;
}

bool CDibDoc::OnOpenDocument(const std::string& path) {
    CFile file;
    CFileException error;
    const UINT special = m_readSpecialFiles ? UINT{CFile::modeReadSpecial} : UINT{0};
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite | special, &error)) {
        ReportSaveLoadException(path, &error, false, AFX_IDP_FAILED_TO_OPEN_DOC);
        return false;
    }
    DeleteContents();
    Services().BeginWaitCursor();
    HDIB block = nullptr;
    try {
        block = DibReadFile(file);
    } catch (const CFileException& e) {
        file.Abort();
        Services().EndWaitCursor();
        ReportSaveLoadException(path, &e, false, AFX_IDP_FAILED_TO_OPEN_DOC);
        return false;
    }
    // A picture that cannot be shown never replaces the one the document has.
    const bool accepted = block && AcceptDibBlock(block);
    Services().EndWaitCursor();
    if (!accepted) {
        ShowMessage(kCannotLoad);
        return false;
    }
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

bool CDibDoc::OnSaveDocument(const std::string& path) {
    // A refused image is refused before the file is touched, so the file of
    // that name keeps its contents, and the document stays modified.
    if (!DibCanWrite(m_hDibBlock)) {
        ShowMessage(kCannotSave);
        return false;
    }
    AtomicFile file;
    if (!file.Open(path)) {
        const CFileException error = ErrnoException(path);
        ReportSaveLoadException(path, &error, true, AFX_IDP_INVALID_FILENAME);
        return false;
    }
    bool written = false;
    std::optional<CFileException> failure;
    {
        CWaitCursor wait;
        try {
            written = DibWriteFile(m_hDibBlock, file.Stream(), path);
            if (written && !file.Commit())
                failure = ErrnoException(path);
        } catch (const CFileException& e) {
            failure = e;
        }
        if (failure || !written)
            file.Discard();
    }
    if (failure) {
        ReportSaveLoadException(path, &*failure, true, AFX_IDP_FAILED_TO_SAVE_DOC);
        return false;
    }
    if (!written) {
        ShowMessage(kCannotSave);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}
