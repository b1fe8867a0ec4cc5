// The application object: starts the program (services, settings, the
// document template, the main frame, the command line), and owns the
// application commands New, Open, Print Setup, About and the recent files.
#pragma once

#include "app/command_router.h"
#include "app/recent_files.h"
#include "platform/background_work.h"
#include "platform/session_services.h"

#include <QObject>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

class CDibDoc;
class CMainFrame;
class CMultiDocTemplate;
class IUserServices;
class QPrinter;
class QtScaleMemory;
class QtUserServices;
class IScaleMemory;
class ShellServices;

class CTraceApp : public QObject {
    Q_OBJECT
  public:
    struct Options {
        // Services the shell builds on; null: the Qt ones (dialogs on screen).
        IUserServices* services = nullptr;
        // Settings file for the recent-file list and the remembered scales;
        // empty: the program's default settings of the user.
        QString settingsFile;
    };

    explicit CTraceApp(Options options);
    CTraceApp();
    ~CTraceApp() override;
    CTraceApp(const CTraceApp&) = delete;
    CTraceApp& operator=(const CTraceApp&) = delete;

    // Starts the program with the command-line arguments (without the
    // program's name). False when the program should end at once: the main
    // frame could not be made, or no file named on the command line opened.
    bool InitInstance(const QStringList& arguments);
    // The same with the arguments as the system gave them: file names stay
    // the bytes they are, valid UTF-8 or not.
    bool InitInstance(const std::vector<std::string>& arguments);

    CMainFrame* MainFrame() const { return m_mainFrame.get(); }
    CMultiDocTemplate* DocTemplate() const { return m_template.get(); }
    RecentFileList& RecentFiles() { return m_recentFiles; }
    CommandRouter& Router() { return m_router; }

    // Opens a file as a document, or a new document for an empty path.
    CDibDoc* OpenDocumentFile(const QString& path);
    void OpenFiles(const QStringList& paths);
    // A dropped work file (workFile) or Protel file, over the active scan.
    void OpenTracingFile(const QString& path, bool workFile);
    // A project (.tvproj): its front scan as a document, in a window of its
    // own that gets the rest of the project. The document, or null.
    CDibDoc* OpenProject(const std::string& path);
    void OnOpenProject();

    // Application commands.
    void OnFileNew();
    void OnFileOpen();
    void OnFilePrintSetup();
    void OnFilePrintPreview();
    void OnAppAbout();
    void OnOpenRecentFile(int index);

    // Pictures of the program by resource name, for dialogs: the
    // application icon and the toolbar picture of a command.
    static QPixmap ResourceImage(const std::string& name);

  private:
    void ConnectXRaySlider();
    void RegisterCommands();
    void RegisterDocumentCommands();
    void RegisterFrameCommands();
    void OnDocumentsChanged();
    void SaveSettings();
    QPrinter& Printer();
    bool CloseAllForExit();

    Options m_options;
    std::unique_ptr<QtUserServices> m_qtServices;
    std::unique_ptr<ISessionServices> m_qtSession; // autosave and recovery, with the Qt services
    std::unique_ptr<IBackgroundWork> m_qtWork;      // scans decoded off the interface thread
    std::unique_ptr<ShellServices> m_services;
    std::unique_ptr<QtScaleMemory> m_scaleMemory;
    IScaleMemory* m_previousScaleMemory = nullptr;
    RecentFileList m_recentFiles;
    CommandRouter m_router;
    std::unique_ptr<CMultiDocTemplate> m_template;
    std::unique_ptr<CMainFrame> m_mainFrame;
    std::unique_ptr<QPrinter> m_printer;
};
