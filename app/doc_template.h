// The one document template: it binds the image document, the MDI child
// window and the board view. It creates documents (new ones titled "Dib1",
// "Dib2", ... from the document name, opened ones after their file), their
// windows and views, and closes them again, asking to save changed images.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CChildFrame;
class CDibDoc;
class CDibView;
class RecoverySession;
class CDocument;
class QMdiArea;

class CMultiDocTemplate : public QObject {
    Q_OBJECT
  public:
    CMultiDocTemplate();
    ~CMultiDocTemplate() override;

    // The area the child windows live in (the main frame's).
    void SetMdiArea(QMdiArea* area) { m_area = area; }

    // A new, empty document (empty path) or the named file. Returns the
    // document, or null when it could not be opened; the document then
    // showed its own messages and no window is left behind. A file already
    // open only gets its window activated.
    CDibDoc* OpenDocumentFile(const QString& path);
    // The same with the path as the system's bytes, which need not be valid
    // UTF-8 (names given on the command line).
    CDibDoc* OpenDocumentFile(const std::string& path);
    // Whether the last file OpenDocumentFile read was cancelled by the user.
    bool LastOpenCancelled() const { return m_lastOpenCancelled; }
    // The window of the one new document the program started with, while
    // nothing has been done in it: the only document, titled "Dib1", without
    // a file, an image or a change to its board. The first file opened takes
    // its place. Null otherwise.
    CChildFrame* UntouchedStartFrame() const;
    // Another window with its own view on an open document.
    CChildFrame* CreateNewFrame(CDibDoc* document);

    const std::vector<std::unique_ptr<CDibDoc>>& Documents() const { return m_documents; }
    std::vector<CChildFrame*> FramesOf(const CDocument* document) const;
    std::vector<CChildFrame*> AllFrames() const;

    // Asks whether to save a modified document's image, naming its file:
    // true to go on closing it (saved or not), false when the user cancelled
    // or the save failed.
    bool SaveModified(CDibDoc* document);
    // Asks before the windows close about everything they would lose: the
    // unsaved tracing of each window, and the changed image of each document
    // whose last window is among them. False when the user cancelled: the
    // windows stay as they are. True: they may close, and their views ask
    // nothing more.
    bool QueryClose(const std::vector<CChildFrame*>& frames);
    // Saves to the document's path, or through the Save As dialog when it
    // has none or `askForName` is set.
    bool DoSave(CDibDoc* document, bool askForName);
    // Closes every window of the document, destroying its views; the
    // document goes with the last one.
    void CloseDocument(CDibDoc* document);
    void CloseAllDocuments();

    // Called whenever documents or their titles change, so that the frame
    // can follow (titles, menus).
    void SetChangeHandler(std::function<void()> handler) { m_changed = std::move(handler); }
    // Hears of every change of a view's board or of its saved state, after
    // the window's title has followed.
    void AddBoardChangedListener(std::function<void(CDibView*)> listener);

    // Offers the boards that a killed or crashed instance left unsaved.
    void OfferRecovery();

  private:
    // A new document "Dib1" in the frame, without a file, an image or any
    // change to its board.
    static bool IsUntouched(const CChildFrame& frame);
    CChildFrame* AddFrame(CDibDoc* document);
    // Shows the new frame, then reads the file into its document.
    bool OpenInShownFrame(CChildFrame* frame, const std::string& path, bool maximized);
    void ShowFrame(CChildFrame* frame, bool maximized);
    // Puts a new window into the area at its place in the cascade.
    void AddToArea(CChildFrame* frame);
    void OnViewDestroyed(CChildFrame* frame, CDibDoc* document);
    void OnBoardChanged(CChildFrame* frame);
    // Asks about the frame's tracing, then, when it is the document's last
    // frame among `closing`, about the image.
    bool QueryCloseFrame(CChildFrame* frame, const std::vector<CChildFrame*>& closing);
    void UpdateFrameTitles(CDocument* document);
    void DropDocument(CDibDoc* document);
    void NotifyChanged();
    void OnBoardChanged(CDibView& view);
    static void OnTitleChanged(CDocument* document, void* context);

    QMdiArea* m_area = nullptr;
    // The untouched start window a file being opened replaces; its place in
    // the area goes to the new window.
    CChildFrame* m_replacing = nullptr;
    std::vector<std::unique_ptr<CDibDoc>> m_documents;
    std::vector<CChildFrame*> m_frames; // in creation order
    int m_nUntitledCount = 0;
    bool m_lastOpenCancelled = false;
    std::function<void()> m_changed;
    std::vector<std::function<void(CDibView*)>> m_boardListeners;
    std::unique_ptr<RecoverySession> m_recovery; // null without session services
};

// The file-dialog filter of the document type in the dialogs' form.
std::string DocumentFilter();
// The default extension of document files, without the dot.
std::string DocumentExtension();
