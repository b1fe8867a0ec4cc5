#include "platform/document.h"

#include "platform/file.h"
#include "platform/scroll_view.h"
#include "platform/user_services.h"

#include <algorithm>

CDocument::~CDocument() {
    for (CScrollView* view : m_views)
        view->SetDocument(nullptr);
}

void CDocument::SetPathName(const std::string& path, bool addToMRU) {
    m_strPathName = path;
    const auto slash = path.find_last_of('/');
    SetTitle(slash == std::string::npos ? path : path.substr(slash + 1));
    if (addToMRU)
        Services().AddToRecentFileList(path);
}

void CDocument::SetTitle(const std::string& title) {
    m_strTitle = title;
    if (m_titleChanged)
        m_titleChanged(this, m_titleContext);
}

void CDocument::AddView(CScrollView* view) {
    if (std::find(m_views.begin(), m_views.end(), view) != m_views.end())
        return;
    m_views.push_back(view);
    view->SetDocument(this);
}

void CDocument::RemoveView(CScrollView* view) {
    std::erase(m_views, view);
    view->SetDocument(nullptr);
}

void CDocument::UpdateAllViews(CScrollView* sender, long hint) {
    for (CScrollView* view : std::vector<CScrollView*>(m_views))
        if (view != sender)
            view->OnUpdate(sender, hint);
}

bool CDocument::OnNewDocument() {
    DeleteContents();
    m_strPathName.clear();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnOpenDocument(const std::string&) { return false; }

bool CDocument::OnSaveDocument(const std::string&) { return false; }

void CDocument::ReportSaveLoadException(const std::string& path, const CFileException* e,
                                        bool saving, UINT defaultPrompt) {
    std::string text;
    if (e && e->m_cause != CFileException::none) {
        CFileException named = *e;
        if (named.m_strFileName.empty())
            named.m_strFileName = path;
        text = named.Describe();
    } else if (defaultPrompt == AFX_IDP_INVALID_FILENAME) {
        text = "Invalid filename.";
    } else {
        text = saving ? "Failed to save document." : "Failed to open document.";
    }
    Services().MessageBox(text, "", MB_OK | MB_ICONEXCLAMATION);
}
