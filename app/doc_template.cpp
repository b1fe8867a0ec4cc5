#include "app/doc_template.h"

#include "app/child_frame.h"
#include "app/command_table.h"
#include "app/image_file_types.h"
#include "board/dib_view.h"
#include "exchange/recovery_offer.h"
#include "exchange/recovery_session.h"
#include "image/dib_doc.h"
#include "platform/background_work.h"
#include "platform/directory.h"
#include "platform/user_services.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QStyle>
#include <QStyleOptionTitleBar>

#include <algorithm>
#include <filesystem>

namespace {
std::string ToStd(std::string_view text) {
    return std::string(text);
}

// Absolute and without "." and ".." parts, kept as bytes.
std::string CanonicalPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    std::string clean = (error ? std::filesystem::path(path) : absolute).lexically_normal().string();
    if (clean.size() > 1 && clean.back() == '/')
        clean.pop_back();
    return clean;
}

// The initial name of the Save As dialog: the file's name, or for a new
// document its title with the document extension.
std::string SuggestedName(const CDibDoc& document) {
    if (!document.GetPathName().empty())
        return SaveAsName(document.GetPathName(), document.GetImageFormat());
    std::string name = document.GetTitle();
    // Characters a file name may not hold are dropped.
    std::erase_if(name, [](char c) { return c == '/' || c == '\0'; });
    return SaveAsName(name, document.GetImageFormat());
}
} // namespace

std::string DocumentFilter() {
    return OpenImageFilter();
}

std::string DocumentExtension() {
    std::string_view extension = DocStringField(4);
    if (!extension.empty() && extension.front() == '.')
        extension.remove_prefix(1);
    return ToStd(extension);
}

CMultiDocTemplate::CMultiDocTemplate() {
    if (ISessionServices* session = SessionServices(); session && !session->StateDirectory().empty())
        m_recovery = std::make_unique<RecoverySession>(
            *session, session->StateDirectory() + "/recovery", CurrentProcessId());
}

CMultiDocTemplate::~CMultiDocTemplate() {
    CloseAllDocuments();
}

CDibDoc* CMultiDocTemplate::OpenDocumentFile(const QString& path) {
    return OpenDocumentFile(path.isEmpty() ? std::string() : QFile::encodeName(path).toStdString());
}

CDibDoc* CMultiDocTemplate::OpenDocumentFile(const std::string& path) {
    const std::string absolute = path.empty() ? std::string() : CanonicalPath(path);
    if (!absolute.empty()) {
        for (const auto& document : m_documents) {
            if (document->GetPathName() != absolute)
                continue;
            const auto frames = FramesOf(document.get());
            if (!frames.empty() && m_area)
                m_area->setActiveSubWindow(frames.front());
            return document.get();
        }
    }

    CChildFrame* const replaced = absolute.empty() ? nullptr : UntouchedStartFrame();
    m_replacing = replaced;
    m_documents.push_back(std::make_unique<CDibDoc>());
    CDibDoc* document = m_documents.back().get();
    document->SetTitleChangedHandler(&CMultiDocTemplate::OnTitleChanged, this);
    CChildFrame* frame = AddFrame(document);
    const bool maximized =
        m_area && m_area->currentSubWindow() && m_area->currentSubWindow()->isMaximized();

    bool opened;
    if (absolute.empty()) {
        document->SetTitle(ToStd(DocStringField(1)) + std::to_string(m_nUntitledCount + 1));
        opened = document->OnNewDocument();
        if (opened)
            ++m_nUntitledCount;
    } else {
        opened = OpenInShownFrame(frame, absolute, maximized);
    }
    m_replacing = nullptr;
    if (!opened) {
        // Destroying the only view drops the document as well. The window
        // leaves the area while it is whole, so that what follows the active
        // window never sees it half destroyed.
        frame->DestroyView();
        if (m_area && frame->mdiArea())
            m_area->removeSubWindow(frame);
        delete frame;
        NotifyChanged();
        return nullptr;
    }

    if (frame->isHidden()) {
        AddToArea(frame);
        ShowFrame(frame, maximized);
    }
    frame->View()->OnInitialUpdate();
    UpdateFrameTitles(document);
    // The empty start window goes only once the file is in: a file that
    // fails to open leaves it as it was, and so does work begun in it while
    // the file was read.
    if (replaced && std::ranges::count(m_frames, replaced) > 0 && IsUntouched(*replaced))
        CloseDocument(replaced->Document());
    if (m_area)
        m_area->setActiveSubWindow(frame);
    NotifyChanged();
    return document;
}

CChildFrame* CMultiDocTemplate::UntouchedStartFrame() const {
    if (m_documents.size() != 1 || m_frames.size() != 1 || !IsUntouched(*m_frames.front()))
        return nullptr;
    return m_frames.front();
}

bool CMultiDocTemplate::IsUntouched(const CChildFrame& frame) {
    const CDibDoc* document = frame.Document();
    const CDibView* view = frame.View();
    if (!document || !view || frame.Loading())
        return false;
    const bool untouchedDocument = document->GetTitle() == ToStd(DocStringField(1)) + "1" &&
                                   document->GetPathName().empty() && !document->IsModified() &&
                                   !document->GetDibBlock();
    return untouchedDocument && view->IsBoardEmpty() && view->BoardRevision() == 0 &&
           !view->IsBoardModified();
}

bool CMultiDocTemplate::OpenInShownFrame(CChildFrame* frame, const std::string& path,
                                         bool maximized) {
    // The window is there at once, saying how far the read has got, while
    // the decode runs off the interface thread.
    CDibDoc* document = frame->Document();
    const QString name = QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).fileName();
    frame->SetName(name);
    frame->BeginLoading(tr("Opening %1...").arg(name));
    AddToArea(frame);
    ShowFrame(frame, maximized);
    document->SetOpenStatusHandler([frame](const std::string& text, const WorkStatus& status) {
        frame->ShowLoadingStatus(QString::fromStdString(text), status.seconds);
    });
    const bool opened = document->OnOpenDocument(path);
    m_lastOpenCancelled = document->WasOpenCancelled();
    document->SetOpenStatusHandler({});
    frame->EndLoading();
    return opened;
}

void CMultiDocTemplate::ShowFrame(CChildFrame* frame, bool maximized) {
    if (maximized)
        frame->showMaximized();
    else
        frame->show();
    if (m_area)
        m_area->setActiveSubWindow(frame);
}

CChildFrame* CMultiDocTemplate::CreateNewFrame(CDibDoc* document) {
    CChildFrame* frame = AddFrame(document);
    AddToArea(frame);
    frame->View()->OnInitialUpdate();
    UpdateFrameTitles(document);
    frame->show();
    if (m_area)
        m_area->setActiveSubWindow(frame);
    NotifyChanged();
    return frame;
}

CChildFrame* CMultiDocTemplate::AddFrame(CDibDoc* document) {
    auto view = std::make_unique<CDibView>();
    document->AddView(view.get());
    if (m_recovery)
        m_recovery->Watch(*view);
    auto* frame = new CChildFrame(document, std::move(view));
    connect(frame, &CChildFrame::viewDestroyed, this, &CMultiDocTemplate::OnViewDestroyed);
    // Maximising or restoring a window changes the main window's title.
    connect(frame, &QMdiSubWindow::windowStateChanged, this, [this] { NotifyChanged(); });
    frame->SetCloseQuery([this](CChildFrame* closing) { return QueryClose({closing}); });
    // The one place the board's handler is set; others listen through the
    // template.
    frame->View()->SetBoardChangedHandler([this, frame] { OnBoardChanged(frame); });
    m_frames.push_back(frame);
    return frame;
}

void CMultiDocTemplate::AddToArea(CChildFrame* frame) {
    if (!m_area)
        return;
    m_area->addSubWindow(frame);
    // Cascaded below the windows already there rather than laid exactly over
    // one of them.
    QStyleOptionTitleBar titleBar;
    titleBar.initFrom(frame);
    const int step = frame->style()->pixelMetric(QStyle::PM_TitleBarHeight, &titleBar, frame);
    if (m_replacing && m_replacing != frame) {
        frame->setGeometry(m_replacing->geometry());
        return;
    }
    const int index = static_cast<int>(m_frames.size()) - 1;
    frame->setGeometry(CascadedChildGeometry(m_area->viewport()->size(), index, step));
}

std::vector<CChildFrame*> CMultiDocTemplate::FramesOf(const CDocument* document) const {
    std::vector<CChildFrame*> frames;
    for (CChildFrame* frame : m_frames)
        if (frame->Document() == document)
            frames.push_back(frame);
    return frames;
}

std::vector<CChildFrame*> CMultiDocTemplate::AllFrames() const {
    return m_frames;
}

void CMultiDocTemplate::OnViewDestroyed(CChildFrame* frame, CDibDoc* document) {
    std::erase(m_frames, frame);
    // The view's close was accepted: its board was saved or given up.
    if (m_recovery)
        m_recovery->ForgetClosedViews();
    if (document && document->GetViews().empty())
        DropDocument(document);
    else if (document)
        UpdateFrameTitles(document);
    NotifyChanged();
}

void CMultiDocTemplate::DropDocument(CDibDoc* document) {
    std::erase_if(m_documents, [&](const auto& owned) { return owned.get() == document; });
}

void CMultiDocTemplate::UpdateFrameTitles(CDocument* document) {
    const auto frames = FramesOf(document);
    const QString title = QString::fromStdString(document->GetTitle());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        CChildFrame* frame = frames[i];
        frame->SetName(frames.size() == 1 ? title : QString("%1:%2").arg(title).arg(i + 1));
        frame->setWindowModified(frame->View() && frame->View()->IsBoardModified());
    }
}

void CMultiDocTemplate::AddBoardChangedListener(std::function<void(CDibView*)> listener) {
    m_boardListeners.push_back(std::move(listener));
}

void CMultiDocTemplate::OnBoardChanged(CChildFrame* frame) {
    // A view being destroyed may still save; its window is going.
    CDibView* view = frame->View();
    if (!view)
        return;
    UpdateFrameTitles(frame->Document());
    OnBoardChanged(*view);
    for (const auto& listener : m_boardListeners)
        listener(view);
    NotifyChanged();
}

void CMultiDocTemplate::OnTitleChanged(CDocument* document, void* context) {
    auto* self = static_cast<CMultiDocTemplate*>(context);
    self->UpdateFrameTitles(document);
    self->NotifyChanged();
}

void CMultiDocTemplate::OnBoardChanged(CDibView& view) {
    if (m_recovery)
        m_recovery->BoardChanged(view);
}

void CMultiDocTemplate::OfferRecovery() {
    if (!m_recovery)
        return;
    ::OfferRecovery(*m_recovery, [this](const std::string& imagePath) -> CDibView* {
        CDibDoc* document = OpenDocumentFile(imagePath);
        if (!document)
            return nullptr;
        // An image already open gets a window of its own, with an empty board.
        CChildFrame* frame = FramesOf(document).back();
        if (!frame->View()->IsBoardEmpty())
            frame = CreateNewFrame(document);
        return frame->View();
    });
}

void CMultiDocTemplate::NotifyChanged() {
    if (m_changed)
        m_changed();
}

bool CMultiDocTemplate::SaveModified(CDibDoc* document) {
    if (!document || !document->IsModified())
        return true;
    // Only a pasted picture changes an image, and saving it writes over the
    // scan: the question says so, apart from the tracing's own.
    const std::string question =
        document->GetPathName().empty()
            ? "Save the changed image of " + document->GetTitle() + " as a new file?"
            : "Save the changed image to " + document->GetTitle() +
                  "? This replaces the scan file.";
    switch (Services().MessageBox(question, "", MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDCANCEL:
        return false;
    case IDYES:
        return DoSave(document, false);
    default:
        return true;
    }
}

bool CMultiDocTemplate::QueryClose(const std::vector<CChildFrame*>& frames) {
    for (CChildFrame* frame : frames)
        if (frame->View() && !QueryCloseFrame(frame, frames))
            return false;
    for (CChildFrame* frame : frames)
        if (CDibView* view = frame->View())
            view->AcceptClose();
    return true;
}

bool CMultiDocTemplate::QueryCloseFrame(CChildFrame* frame,
                                        const std::vector<CChildFrame*>& closing) {
    CDibView* view = frame->View();
    if (view->IsBoardModified()) {
        // The user sees which window the question is about.
        if (m_area)
            m_area->setActiveSubWindow(frame);
        if (!view->QuerySaveBoard(frame->Name().toStdString()))
            return false;
    }
    // The image question comes with the document's last window to close.
    const auto documentFrames = FramesOf(frame->Document());
    const auto isClosing = [&](CChildFrame* f) { return std::ranges::count(closing, f) > 0; };
    if (!std::ranges::all_of(documentFrames, isClosing))
        return true;
    const auto after = std::ranges::find(closing, frame) + 1;
    const bool laterOne = std::any_of(after, closing.end(), [&](CChildFrame* f) {
        return f->Document() == frame->Document();
    });
    return laterOne || SaveModified(frame->Document());
}

bool CMultiDocTemplate::DoSave(CDibDoc* document, bool askForName) {
    std::string path = document->GetPathName();
    // A picture from a lossy format is never written over its file: saving
    // it asks for a new name, in a format that keeps every pixel.
    const bool rename =
        askForName || path.empty() || !IsLosslessFormat(document->GetImageFormat());
    if (rename) {
        FileDialogRequest request;
        request.open = false;
        request.filter = SaveImageFilter(document->GetImageFormat());
        request.defaultExt = SaveExtension(SaveFormatFor(document->GetImageFormat()));
        request.initialName = SuggestedName(*document);
        request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
        const std::optional<std::string> chosen = Services().FileDialog(request);
        if (!chosen)
            return false;
        path = ApplyDefaultExtension(*chosen, request.defaultExt);
    }
    if (!document->OnSaveDocument(path))
        return false;
    if (rename)
        document->SetPathName(path);
    return true;
}

void CMultiDocTemplate::CloseDocument(CDibDoc* document) {
    for (CChildFrame* frame : FramesOf(document)) {
        frame->DestroyView();
        frame->close();
    }
}

void CMultiDocTemplate::CloseAllDocuments() {
    for (CChildFrame* frame : std::vector<CChildFrame*>(m_frames)) {
        frame->DestroyView();
        frame->close();
    }
}
