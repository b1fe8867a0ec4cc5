#include "image/dib_doc.h"

#include "image/formats/image_writer.h"
#include "image/other_side.h"
#include "image/scan_load.h"
#include "image/scan_pyramid.h"
#include "platform/atomic_file.h"
#include "platform/background_work.h"
#include "platform/user_services.h"

#include <cerrno>
#include <optional>

namespace {

// The document's messages, from the string table.
constexpr const char* kTooLarge = "DIB is too large";
constexpr const char* kCannotLoad = "Cannot load DIB";
constexpr const char* kCannotSave = "Cannot save DIB";
constexpr const char* kUnknownSaveFormat =
    "Pictures are saved as BMP, PNG, TIFF or PNM. Choose a name ending in .bmp, .png or .tif.";

void ShowMessage(const char* text) { Services().MessageBox(text, "", MB_OK | MB_ICONINFORMATION); }

CFileException ErrnoException(const std::string& path) {
    const int err = errno;
    return CFileException(CFileException::CauseFromErrno(err), err, path);
}

// Files this large show how far their decode has got.
constexpr unsigned long long kProgressFileBytes = 50ull << 20;

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string OpeningText(const std::string& path, double done) {
    return "Opening " + BaseName(path) + "... " + std::to_string(static_cast<int>(done * 100)) +
           "%";
}

// A refused BMP says what it always said; the other formats say what is
// wrong with the file, in their library's words.
void ShowOpenFailure(const std::string& path, const DecodeResult& result) {
    const bool ownWords = result.info.format != ImageFormat::Bmp &&
                          result.info.format != ImageFormat::Unknown && !result.error.empty();
    if (result.failure == DecodeFailure::TooLarge) {
        ShowMessage(kTooLarge);
        ShowMessage(kCannotLoad);
    } else if (result.failure == DecodeFailure::NoMemory) {
        ShowMessage((BaseName(path) + ": not enough memory for a picture of this size").c_str());
    } else if (ownWords) {
        ShowMessage((BaseName(path) + ": " + result.error).c_str());
    } else {
        ShowMessage(kCannotLoad);
    }
}

} // namespace

CDibDoc::CDibDoc() { m_fileInfo.format = ImageFormat::Bmp; }

CDibDoc::~CDibDoc() {
    if (m_hDibBlock)
        GlobalFree(m_hDibBlock);
    delete m_pDibPalette;
}

void CDibDoc::SetOtherSide(std::unique_ptr<OtherSide> side) { m_otherSide = std::move(side); }

bool CDibDoc::OnNewDocument() { return CDocument::OnNewDocument(); }

bool CDibDoc::AcceptDibBlock(HDIB block) { return AcceptDibBlock(block, nullptr); }

bool CDibDoc::AcceptDibBlock(HDIB block, std::unique_ptr<ScanPyramid> levels) {
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
    if (levels && m_hDibBlock)
        SetPyramid(std::move(levels));
    else
        BuildPyramid();
    return m_hDibBlock != nullptr;
}

void CDibDoc::BuildPyramid() { m_pyramid = BuildScanPyramid(m_hDibBlock); }

void CDibDoc::SetPyramid(std::unique_ptr<ScanPyramid> pyramid) { m_pyramid = std::move(pyramid); }

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
    m_pyramid.reset();
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
    DecodedScan scan = DecodeOffInterface(file, path);
    const DecodeResult& result = scan.decode;
    file.Abort();
    m_openCancelled = result.failure == DecodeFailure::Cancelled;
    if (m_openCancelled) {
        Services().SetStatusPaneText(0, "Opening " + BaseName(path) + " cancelled");
        return false;
    }
    if (result.failure == DecodeFailure::ReadError) {
        const CFileException e(CFileException::CauseFromErrno(result.osError), result.osError,
                               path);
        ReportSaveLoadException(path, &e, false, AFX_IDP_FAILED_TO_OPEN_DOC);
        return false;
    }
    // A picture that cannot be shown never replaces the one the document has.
    if (result.failure != DecodeFailure::None ||
        !AcceptDibBlock(result.block, std::move(scan.levels))) {
        ShowOpenFailure(path, result);
        return false;
    }
    m_fileInfo = result.info;
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

DecodedScan CDibDoc::DecodeOffInterface(CFile& file, const std::string& path) {
    // Only the stream and the scan cross to the worker; the messages come
    // after it has returned.
    std::FILE* stream = file.Stream();
    const bool showsProgress = file.GetLength() >= kProgressFileBytes;
    DecodedScan scan;
    int shownPercent = -1;
    CWaitCursor wait;
    const WorkOutcome outcome = BackgroundWork().Run(
        [&scan, stream](WorkControl& control) { scan = DecodeScan(stream, control); },
                         [&](const WorkStatus& status) {
                             const std::string text = OpeningText(path, status.progress);
                             const int percent = static_cast<int>(status.progress * 100);
                             if (showsProgress && percent != shownPercent)
                                 Services().SetStatusPaneText(0, text);
                             shownPercent = percent;
                             if (m_openStatus)
                                 m_openStatus(text, status);
                         });
    // A cancel that came as the decode ended still cancels.
    if (outcome == WorkOutcome::Stopped && scan.decode.block) {
        GlobalFree(scan.decode.block);
        scan.decode.block = nullptr;
        scan.decode.failure = DecodeFailure::Cancelled;
        scan.levels.reset();
    }
    return scan;
}

ImageFormat CDibDoc::SaveFormat(const std::string& path) const {
    // The scan's own file is written in the format it came in.
    if (path == GetPathName() && IsLosslessFormat(m_fileInfo.format))
        return m_fileInfo.format;
    // A name of no known kind keeps the picture's format; a name of a
    // format that loses detail ("scan.jpg") is refused.
    const ImageFormat named = FormatFromExtension(path);
    if (named != ImageFormat::Unknown)
        return IsLosslessFormat(named) ? named : ImageFormat::Unknown;
    return IsLosslessFormat(m_fileInfo.format) ? m_fileInfo.format : ImageFormat::Unknown;
}

bool CDibDoc::OnSaveDocument(const std::string& path) {
    // A refused image is refused before the file is touched, so the file of
    // that name keeps its contents, and the document stays modified.
    if (!DibCanWrite(m_hDibBlock)) {
        ShowMessage(kCannotSave);
        return false;
    }
    const ImageFormat format = SaveFormat(path);
    if (format == ImageFormat::Unknown) {
        ShowMessage(kUnknownSaveFormat);
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
    std::string refusal;
    {
        CWaitCursor wait;
        try {
            written = WritePicture(format, file.Stream(), path, refusal);
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
        ShowMessage(refusal.empty() ? kCannotSave : (BaseName(path) + ": " + refusal).c_str());
        return false;
    }
    m_fileInfo.format = format;
    SetModifiedFlag(false);
    return true;
}

// BMP keeps the program's own writer and its failure reports; the other
// formats report a failed write through the stream's error state.
bool CDibDoc::WritePicture(ImageFormat format, std::FILE* stream, const std::string& path,
                           std::string& refusal) {
    if (format == ImageFormat::Bmp)
        return DibWriteFile(m_hDibBlock, stream, path);
    errno = 0;
    if (WriteImageFile(m_hDibBlock, format, stream, refusal))
        return true;
    if (std::ferror(stream))
        throw ErrnoException(path);
    return false;
}
