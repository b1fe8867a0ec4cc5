#include "app/trace_app.h"

#include "app/child_frame.h"
#include "app/command_table.h"
#include "app/doc_template.h"
#include "app/help_dialogs.h"
#include "app/main_frame.h"
#include "app/printing.h"
#include "app/shell_services.h"
#include "app/status_bar.h"
#include "app/navigator.h"
#include "app/toolbar_art.h"
#include "board/dib_view.h"
#include "board/help_hook.h"
#include "board/view_sides.h"
#include "exchange/view_project.h"
#include "image/dib_doc.h"
#include "platform/qt/qt_background_work.h"
#include "platform/qt/qt_scale_memory.h"
#include "platform/qt/qt_session.h"
#include "platform/qt/qt_user_services.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QSettings>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {
// Names of toolbar pictures in dialogs: the prefix and the command id.
constexpr const char* kToolbarPrefix = "toolbar:";
// Whether the Navigator dock was shown when the program last ended.
constexpr const char* kNavigatorShownKey = "view/navigator";
constexpr const char* kRealSizesKey = "view/realSizes";
// Whether track ends are snapped onto pads; on unless turned off.
constexpr const char* kSnapToPadsKey = "view/snapToPads";
constexpr const char* kSideSelectsLayerKey = "view/sideSelectsLayer";

bool IsProjectName(const std::string& path) {
    const std::string ext = kProjectExtension;
    if (path.size() < ext.size())
        return false;
    std::string tail = path.substr(path.size() - ext.size());
    for (char& c : tail)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ext;
}

std::unique_ptr<QSettings> OpenSettings(const QString& file) {
    if (!file.isEmpty())
        return std::make_unique<QSettings>(file, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "tracevu",
                                       "tracevu");
}

// Lines up the minimised windows along the bottom of the area.
void ArrangeIcons(QMdiArea& area) {
    int x = 0;
    for (QMdiSubWindow* window : area.subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isMinimized())
            continue;
        const QSize size = window->size();
        window->move(x, area.viewport()->height() - size.height());
        x += size.width();
    }
}
} // namespace

CTraceApp::CTraceApp() : CTraceApp(Options{}) {}

CTraceApp::CTraceApp(Options options)
    : m_options(std::move(options)), m_recentFiles(static_cast<int>(kRecentFileCount)) {
    IUserServices* base = m_options.services;
    if (!base) {
        m_qtServices = std::make_unique<QtUserServices>();
        m_qtServices->SetImageProvider(&CTraceApp::ResourceImage);
        base = m_qtServices.get();
        m_qtSession = std::make_unique<QtSession>();
        m_qtWork = std::make_unique<QtBackgroundWork>();
    }
    m_services = std::make_unique<ShellServices>(*base);
    m_services->SetRecentAdder([this](const std::string& path) {
        m_recentFiles.Add(QString::fromStdString(path));
        SaveSettings();
    });
    m_services->SetPaneWriter([this](int pane, const std::string& text) {
        if (m_mainFrame)
            m_mainFrame->SetPaneText(pane, QString::fromStdString(text));
    });
    // Scan lines set by hand are kept in the same settings file.
    m_scaleMemory = std::make_unique<QtScaleMemory>(
        [file = m_options.settingsFile] { return OpenSettings(file); });
    m_previousScaleMemory = SetScaleMemory(m_scaleMemory.get());
    m_router.SetActiveViewSource(
        [this]() -> CScrollView* { return m_mainFrame ? m_mainFrame->ActiveView() : nullptr; });
    RegisterCommands();
}

CTraceApp::~CTraceApp() {
    // Views go first, while the services and the frame they write to exist.
    if (m_template)
        m_template->CloseAllDocuments();
    SaveSettings();
    m_mainFrame.reset();
    m_template.reset();
    SetOperationGuideRunner(nullptr);
    SetScaleMemory(m_previousScaleMemory);
}

bool CTraceApp::InitInstance(const QStringList& arguments) {
    std::vector<std::string> bytes;
    for (const QString& argument : arguments)
        bytes.push_back(QFile::encodeName(argument).toStdString());
    return InitInstance(bytes);
}

bool CTraceApp::InitInstance(const std::vector<std::string>& arguments) {
    // Control containers and three-dimensional dialog controls need no
    // switching on: every Qt widget has both.

    // The standard settings: the recent-file list.
    m_recentFiles.Load(*OpenSettings(m_options.settingsFile));

    m_template = std::make_unique<CMultiDocTemplate>();
    m_template->SetChangeHandler([this] { OnDocumentsChanged(); });
    // Help, Contents reaches the view, which opens the guide through this;
    // the guide speaks the system's language.
    SetOperationGuideRunner(RunGuide);
    SetGuideLanguage(SystemGuideLanguage());

    m_mainFrame = std::make_unique<CMainFrame>(m_router, m_recentFiles);
    if (m_mainFrame->OnCreate() != 0) {
        m_mainFrame.reset();
        return false;
    }
    m_template->SetMdiArea(m_mainFrame->MdiArea());
    if (m_qtServices)
        m_qtServices->SetMainWindow(m_mainFrame.get());
    connect(m_mainFrame.get(), &CMainFrame::activeChildChanged, this,
            &CTraceApp::OnDocumentsChanged);
    connect(m_mainFrame.get(), &CMainFrame::filesDropped, this, &CTraceApp::OpenFiles);
    m_mainFrame->SetCloseQuery([this] { return CloseAllForExit(); });

    {
        const std::unique_ptr<QSettings> settings = OpenSettings(m_options.settingsFile);
        m_mainFrame->Navigator()->setVisible(settings->value(kNavigatorShownKey, false).toBool());
        g_bShowRealSizes = settings->value(kRealSizesKey, false).toBool();
        g_bSnapToPads = settings->value(kSnapToPadsKey, true).toBool();
        g_bSideSelectsLayer = settings->value(kSideSelectsLayerKey, true).toBool();
    }
    ConnectXRaySlider();
    m_mainFrame->show();
    m_mainFrame->setAcceptDrops(true);

    // Opening through the desktop and the file type's registration come from
    // the installed desktop entry, which starts the program with the files;
    // nothing about the desktop is changed at run time.

    // The command line: options begin with '-', everything else (and
    // everything after "--") names a file to open.
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument.starts_with('-') && argument.size() > 1) {
            std::fprintf(stderr, "tracevu: unknown option %s ignored\n", argument.c_str());
        } else {
            files.push_back(argument);
        }
    }
    bool anyOpened = files.empty() && OpenDocumentFile(QString()) != nullptr;
    // A read the user cancelled leaves the program running, with nothing open.
    bool anyCancelled = false;
    for (const std::string& file : files) {
        anyOpened = (m_template && (IsProjectName(file) ? OpenProject(file) != nullptr
                                                        : m_template->OpenDocumentFile(file) != nullptr)) ||
                    anyOpened;
        anyCancelled = anyCancelled || (m_template && m_template->LastOpenCancelled());
    }
    if (anyOpened)
        m_template->OfferRecovery();
    return anyOpened || anyCancelled;
}

CDibDoc* CTraceApp::OpenDocumentFile(const QString& path) {
    if (IsProjectName(QFile::encodeName(path).toStdString()))
        return OpenProject(QFile::encodeName(path).toStdString());
    return m_template ? m_template->OpenDocumentFile(path) : nullptr;
}

CDibDoc* CTraceApp::OpenProject(const std::string& path) {
    if (!m_template)
        return nullptr;
    const std::optional<ProjectData> project = ReadProjectForOpening(path);
    if (!project)
        return nullptr;
    const std::optional<std::string> front = LocateProjectScan(project->frontScan, "front");
    if (!front)
        return nullptr;
    CDibDoc* document = m_template->OpenDocumentFile(*front);
    if (!document)
        return nullptr;
    // A scan already open gets a window of its own for the project's board.
    CChildFrame* frame = m_template->FramesOf(document).back();
    if (!frame->View()->IsBoardEmpty() || !frame->View()->ProjectPath().empty())
        frame = m_template->CreateNewFrame(document);
    frame->View()->ApplyProject(*project, path);
    if (*front != project->frontScan)
        frame->View()->MarkBoardModified();
    Services().AddToRecentFileList(path);
    return document;
}

void CTraceApp::ConnectXRaySlider() {
    QSlider* slider = m_mainFrame->StatusBar()->XRaySlider();
    connect(slider, &QSlider::valueChanged, this, [this](int value) {
        if (auto* view = dynamic_cast<CDibView*>(m_mainFrame->ActiveView()))
            view->SetXRayOpacity(value);
    });
    // The slider follows the active window, and the keys that change it.
    auto* follow = new QTimer(this);
    follow->setInterval(200);
    connect(follow, &QTimer::timeout, this, [this, slider] {
        auto* view = dynamic_cast<CDibView*>(m_mainFrame ? m_mainFrame->ActiveView() : nullptr);
        const bool shown = view && view->HasOtherSide();
        if (slider->isVisible() != shown)
            slider->setVisible(shown);
        if (shown && !slider->isSliderDown() && slider->value() != view->m_Sides.opacity) {
            const QSignalBlocker block(slider);
            slider->setValue(view->m_Sides.opacity);
        }
    });
    follow->start();
}

void CTraceApp::OnOpenProject() {
    FileDialogRequest request;
    request.open = true;
    request.filter = kProjectFilter;
    request.defaultExt = kProjectExtension;
    request.flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
    if (const std::optional<std::string> path = Services().FileDialog(request))
        OpenProject(*path);
}

void CTraceApp::OpenFiles(const QStringList& paths) {
    for (const QString& path : paths) {
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (suffix == QLatin1String("dpb") || suffix == QLatin1String("pcb"))
            OpenTracingFile(path, suffix == QLatin1String("dpb"));
        else if (suffix == QLatin1String("tvproj"))
            OpenProject(QFile::encodeName(path).toStdString());
        else
            OpenDocumentFile(path);
    }
}

void CTraceApp::OpenTracingFile(const QString& path, bool workFile) {
    auto* view = dynamic_cast<CDibView*>(m_mainFrame ? m_mainFrame->ActiveView() : nullptr);
    const std::string name = QFile::encodeName(path).toStdString();
    if (!view) {
        Services().MessageBox("Open a scan first: " + QFileInfo(path).fileName().toStdString() +
                                  " is a tracing, drawn over a scan.",
                              "", MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (workFile)
        view->OpenWorkFile(name);
    else
        view->ImportProtelFile(name);
}

void CTraceApp::RegisterCommands() {
    m_router.Add(ID_FILE_NEW, [this] { OnFileNew(); });
    m_router.Add(ID_FILE_OPEN, [this] { OnFileOpen(); });
    m_router.Add(ID_OPEN_PROJECT, [this] { OnOpenProject(); });
    m_router.Add(ID_FILE_PRINT_SETUP, [this] { OnFilePrintSetup(); });
    m_router.Add(ID_APP_ABOUT, [this] { OnAppAbout(); });
    for (int i = 0; i < static_cast<int>(kRecentFileCount); ++i) {
        m_router.Add(
            ID_FILE_MRU_FILE1 + static_cast<UINT>(i), [this, i] { OnOpenRecentFile(i); },
            [this, i](CCmdUI& ui) { ui.Enable(i < m_recentFiles.Files().size()); });
    }
    RegisterDocumentCommands();
    RegisterFrameCommands();
}

void CTraceApp::RegisterDocumentCommands() {
    const auto activeDocument = [this]() -> CDibDoc* {
        CScrollView* view = m_router.ActiveView();
        return view ? static_cast<CDibView*>(view)->GetDocument() : nullptr;
    };
    const auto needsDocument = [activeDocument](CCmdUI& ui) {
        ui.Enable(activeDocument() != nullptr);
    };
    m_router.Add(
        ID_FILE_CLOSE,
        [this, activeDocument] {
            if (CDibDoc* document = activeDocument();
                document && m_template->QueryClose(m_template->FramesOf(document)))
                m_template->CloseDocument(document);
        },
        needsDocument);
    m_router.Add(
        ID_FILE_SAVE,
        [this, activeDocument] {
            if (CDibDoc* document = activeDocument())
                m_template->DoSave(document, false);
        },
        needsDocument);
    m_router.Add(
        ID_FILE_SAVE_AS,
        [this, activeDocument] {
            if (CDibDoc* document = activeDocument())
                m_template->DoSave(document, true);
        },
        needsDocument);
    m_router.Add(
        ID_FILE_PRINT_PREVIEW, [this] { OnFilePrintPreview(); }, needsDocument);
}

void CTraceApp::RegisterFrameCommands() {
    const auto needsChild = [this](CCmdUI& ui) {
        ui.Enable(m_mainFrame && m_mainFrame->ActiveChild() != nullptr);
    };
    m_router.Add(
        ID_WINDOW_NEW,
        [this] {
            if (CChildFrame* child = m_mainFrame->ActiveChild())
                m_template->CreateNewFrame(child->Document());
        },
        needsChild);
    m_router.Add(
        ID_WINDOW_CASCADE, [this] { m_mainFrame->MdiArea()->cascadeSubWindows(); }, needsChild);
    m_router.Add(
        ID_WINDOW_TILE_HORZ, [this] { m_mainFrame->MdiArea()->tileSubWindows(); }, needsChild);
    m_router.Add(
        ID_WINDOW_ARRANGE, [this] { ArrangeIcons(*m_mainFrame->MdiArea()); }, needsChild);
    m_router.Add(
        ID_VIEW_TOOLBAR,
        [this] {
            QToolBar* bar = m_mainFrame->ToolBar();
            bar->setVisible(bar->isHidden());
        },
        [this](CCmdUI& ui) { ui.SetCheck(m_mainFrame && !m_mainFrame->ToolBar()->isHidden()); });
    m_router.Add(
        ID_VIEW_STATUS_BAR,
        [this] {
            CStatusBar* bar = m_mainFrame->StatusBar();
            bar->setVisible(bar->isHidden());
        },
        [this](CCmdUI& ui) { ui.SetCheck(m_mainFrame && !m_mainFrame->StatusBar()->isHidden()); });
    m_router.Add(
        ID_VIEW_NAVIGATOR,
        [this] {
            NavigatorDock* dock = m_mainFrame->Navigator();
            dock->setVisible(dock->isHidden());
            SaveSettings();
        },
        [this](CCmdUI& ui) { ui.SetCheck(m_mainFrame && !m_mainFrame->Navigator()->isHidden()); });
    m_router.Add(
        ID_VIEW_REAL_SIZES,
        [this] {
            g_bShowRealSizes = !g_bShowRealSizes;
            for (CDibView* view : CDibView::AllViews())
                view->Invalidate(false);
            SaveSettings();
        },
        [](CCmdUI& ui) { ui.SetCheck(g_bShowRealSizes); });
    m_router.Add(
        ID_VIEW_SNAP_TO_PADS,
        [this] {
            g_bSnapToPads = !g_bSnapToPads;
            SaveSettings();
        },
        [](CCmdUI& ui) { ui.SetCheck(g_bSnapToPads); });
    m_router.Add(
        ID_VIEW_SIDE_SELECTS_LAYER,
        [this] {
            g_bSideSelectsLayer = !g_bSideSelectsLayer;
            SaveSettings();
        },
        [](CCmdUI& ui) { ui.SetCheck(g_bSideSelectsLayer); });
    m_router.Add(ID_APP_EXIT, [this] { m_mainFrame->close(); });
}

void CTraceApp::OnDocumentsChanged() {
    if (!m_mainFrame || !m_template)
        return;
    m_mainFrame->ShowDocumentMenu(!m_template->AllFrames().empty());
    CChildFrame* active = m_mainFrame->ActiveChild();
    const std::string_view idle =
        active && active == m_template->UntouchedStartFrame() ? kStartPrompt : kIdleMessage;
    m_mainFrame->SetIdleMessage(QString::fromUtf8(idle.data(), static_cast<qsizetype>(idle.size())));
    m_mainFrame->UpdateFrameTitle(active && active->Document()
                                      ? QString::fromStdString(active->Document()->GetTitle())
                                      : QString());
    m_mainFrame->UpdateCommandStates();
}

void CTraceApp::OnFileNew() {
    OpenDocumentFile(QString());
}

void CTraceApp::OnFileOpen() {
    FileDialogRequest request;
    request.open = true;
    request.filter = DocumentFilter();
    request.defaultExt = DocumentExtension();
    request.flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
    if (const std::optional<std::string> path = Services().FileDialog(request))
        OpenDocumentFile(QString::fromStdString(*path));
}

void CTraceApp::OnOpenRecentFile(int index) {
    if (index < 0 || index >= m_recentFiles.Files().size())
        return;
    const QString path = m_recentFiles.Files()[index];
    if (!OpenDocumentFile(path)) {
        // A file that no longer opens leaves the list.
        m_recentFiles.Remove(static_cast<int>(m_recentFiles.Files().indexOf(path)));
        SaveSettings();
    }
}

QPrinter& CTraceApp::Printer() {
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void CTraceApp::OnFilePrintSetup() {
    QPageSetupDialog dialog(&Printer(), m_mainFrame.get());
    dialog.exec();
}

void CTraceApp::OnFilePrintPreview() {
    auto* view = static_cast<CDibView*>(m_router.ActiveView());
    if (view && view->OnPreparePrinting())
        RunPrintPreview(*view, Printer(), m_mainFrame.get());
}

bool CTraceApp::CloseAllForExit() {
    if (!m_template->QueryClose(m_template->AllFrames()))
        return false;
    m_template->CloseAllDocuments();
    SaveSettings();
    return true;
}

void CTraceApp::SaveSettings() {
    const std::unique_ptr<QSettings> settings = OpenSettings(m_options.settingsFile);
    m_recentFiles.Save(*settings);
    if (m_mainFrame) {
        settings->setValue(kNavigatorShownKey, !m_mainFrame->Navigator()->isHidden());
        settings->setValue(kRealSizesKey, g_bShowRealSizes);
        settings->setValue(kSnapToPadsKey, g_bSnapToPads);
        settings->setValue(kSideSelectsLayerKey, g_bSideSelectsLayer);
    }
}

void CTraceApp::OnAppAbout() {
    RunAboutBox();
}

QPixmap CTraceApp::ResourceImage(const std::string& name) {
    // Drawn for the screen's density, shown at the picture's own size.
    const int scale = std::max(1, static_cast<int>(std::ceil(qApp->devicePixelRatio())));
    QImage image;
    if (name == kAppIconImage) {
        image = AppIconImage(32 * scale);
    } else if (name.rfind(kToolbarPrefix, 0) == 0) {
        const std::string number = name.substr(std::strlen(kToolbarPrefix));
        if (!number.empty() && number.find_first_not_of("0123456789") == std::string::npos &&
            number.size() < 10)
            image = ButtonImage(static_cast<UINT>(std::stoul(number)), scale);
    }
    if (image.isNull())
        return {};
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(scale);
    return pixmap;
}
