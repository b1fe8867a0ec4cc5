// A document: one open file with its views. The application shell creates
// documents and views; the document keeps the list and the modified flag.
#pragma once

#include "platform/types.h"

#include <string>
#include <vector>

class CScrollView;
class CFileException;

// Framework prompts for load and save failures.
constexpr UINT AFX_IDP_INVALID_FILENAME = 0xF100;
constexpr UINT AFX_IDP_FAILED_TO_OPEN_DOC = 0xF101;
constexpr UINT AFX_IDP_FAILED_TO_SAVE_DOC = 0xF102;

class CDocument {
  public:
    CDocument() = default;
    virtual ~CDocument();
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    const std::string& GetPathName() const { return m_strPathName; }
    // Sets the path and the title (the file's name); adds it to the recent files.
    virtual void SetPathName(const std::string& path, bool addToMRU = true);
    const std::string& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(const std::string& title);

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }

    void AddView(CScrollView* view);
    void RemoveView(CScrollView* view);
    const std::vector<CScrollView*>& GetViews() const { return m_views; }
    // Calls OnUpdate of every view except the sender.
    void UpdateAllViews(CScrollView* sender, long hint = 0);

    virtual bool OnNewDocument();
    virtual bool OnOpenDocument(const std::string& path);
    virtual bool OnSaveDocument(const std::string& path);
    virtual void DeleteContents() {}

    // Shows the framework's message for a failed load or save.
    virtual void ReportSaveLoadException(const std::string& path, const CFileException* e,
                                         bool saving, UINT defaultPrompt);

    // Called when the title changes, so that the frame can follow.
    void SetTitleChangedHandler(void (*handler)(CDocument*, void*), void* context) {
        m_titleChanged = handler;
        m_titleContext = context;
    }

  private:
    std::string m_strPathName;
    std::string m_strTitle;
    bool m_bModified = false;
    std::vector<CScrollView*> m_views;
    void (*m_titleChanged)(CDocument*, void*) = nullptr;
    void* m_titleContext = nullptr;
};
