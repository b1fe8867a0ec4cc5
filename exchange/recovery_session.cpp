#include "exchange/recovery_session.h"

#include "board/dib_view.h"
#include "board/params.h"
#include "exchange/recovery_board.h"
#include "exchange/recovery_manifest.h"
#include "exchange/text_lines.h"
#include "exchange/view_project.h"
#include "platform/directory.h"
#include "platform/document.h"

#include <algorithm>
#include <ctime>

namespace {
bool IsLive(const CDibView* view) {
    const auto& views = CDibView::AllViews();
    return std::find(views.begin(), views.end(), view) != views.end();
}

RecoveryManifest ManifestOf(const CDibView& view) {
    RecoveryManifest manifest;
    if (const CDocument* document = static_cast<const CScrollView&>(view).GetDocument())
        manifest.imagePath = document->GetPathName();
    manifest.scanLinesX = view.GetScanLines().x;
    manifest.scanLinesY = view.GetScanLines().y;
    manifest.scale = view.m_nScale;
    manifest.savedAt = static_cast<std::int64_t>(std::time(nullptr));
    manifest.revision = view.BoardRevision();
    manifest.pads = view.m_nPadCount;
    manifest.tracks = view.m_nTrackCount;
    manifest.projectPath = view.ProjectPath();
    return manifest;
}

// The board and the project first: a manifest always names files that are
// complete, and a board newer than its manifest is told apart by its
// revision. A project file no longer wanted goes once the manifest no
// longer names it.
bool WriteRecoveryFiles(const std::string& directory, const RecoveryFileNames& files,
                        const BoardData& board, const RecoveryManifest& manifest,
                        const std::optional<ProjectData>& project) {
    if (!MakeDirectories(directory))
        return false;
    const auto text = FormatRecoveryBoard(SpanOf(board), manifest.scale, manifest.revision);
    if (!text || !WriteWholeFile(files.board, *text))
        return false;
    if (project && !WriteWholeFile(files.project, FormatProject(*project, files.project)))
        return false;
    if (!WriteWholeFile(files.manifest, FormatRecoveryManifest(manifest)))
        return false;
    if (!project)
        RemoveFile(files.project);
    return true;
}
} // namespace

RecoverySession::RecoverySession(ISessionServices& services, std::string directory, int pid)
    : m_services(services), m_directory(std::move(directory)), m_pid(pid) {
    m_timer = m_services.StartRepeatingTimer(kAutosaveIntervalMs, [this] { Tick(); });
}

RecoverySession::~RecoverySession() {
    m_timer.reset();
    m_services.WaitForBackground();
}

void RecoverySession::Watch(CDibView& view) {
    if (!Find(view))
        m_watched.push_back({&view, m_nextNumber++, std::nullopt,
                             std::make_shared<std::atomic<bool>>(false), view.GetScanLines(), {},
                             std::nullopt});
}

RecoverySession::Watched* RecoverySession::Find(const CDibView& view) {
    for (Watched& watched : m_watched)
        if (watched.view == &view)
            return &watched;
    return nullptr;
}

std::optional<RecoveryFileNames> RecoverySession::FilesOf(const CDibView& view) const {
    for (const Watched& watched : m_watched)
        if (watched.view == &view)
            return RecoveryFilesOf(m_directory, m_pid, watched.number);
    return std::nullopt;
}

void RecoverySession::BoardChanged(CDibView& view) {
    Watched* watched = Find(view);
    if (watched && IsLive(&view) && !view.IsBoardModified() && watched->savedRevision)
        Remove(*watched);
}

void RecoverySession::Tick() {
    for (Watched& watched : m_watched) {
        // A view being destroyed is no longer live; its close question may
        // run a message loop in which this timer fires.
        if (!IsLive(watched.view))
            continue;
        if (watched.writeFailed->exchange(false))
            watched.savedRevision.reset(); // try again
        if (!watched.view->IsBoardModified()) {
            if (watched.savedRevision)
                Remove(watched);
        } else if (MovedSinceSaved(watched)) {
            Save(watched);
        }
    }
}

bool RecoverySession::MovedSinceSaved(const Watched& watched) {
    const CDibView& view = *watched.view;
    return watched.savedRevision != view.BoardRevision() ||
           watched.savedScanLines != view.GetScanLines() ||
           watched.savedProjectPath != view.ProjectPath() || watched.savedBack != ProjectBackOf(view);
}

void RecoverySession::SaveNow(CDibView& view) {
    if (Watched* watched = Find(view); watched && IsLive(&view))
        Save(*watched);
}

void RecoverySession::Save(Watched& watched) {
    const CDibView& view = *watched.view;
    BoardData board;
    if (view.m_pPads) {
        board.pads.assign(view.m_pPads, view.m_pPads + view.m_nPadCount);
        board.padSizes.assign(view.m_pPadSizes, view.m_pPadSizes + view.m_nPadCount);
    }
    if (view.m_pTracks) {
        board.tracks.assign(view.m_pTracks, view.m_pTracks + view.m_nTrackCount);
        board.trackSizes.assign(view.m_pTrackSizes, view.m_pTrackSizes + view.m_nTrackCount);
    }
    RecoveryManifest manifest = ManifestOf(view);
    std::optional<ProjectData> project;
    if (view.HasProjectState())
        project = view.GatherProjectState();
    manifest.projectState = project.has_value();
    watched.savedRevision = manifest.revision;
    watched.savedScanLines = view.GetScanLines();
    watched.savedProjectPath = manifest.projectPath;
    watched.savedBack = project ? project->back : std::nullopt;
    m_services.RunInBackground([directory = m_directory,
                                files = RecoveryFilesOf(m_directory, m_pid, watched.number),
                                board = std::move(board), manifest = std::move(manifest),
                                project = std::move(project), failed = watched.writeFailed] {
        if (!WriteRecoveryFiles(directory, files, board, manifest, project))
            failed->store(true);
    });
}

void RecoverySession::Remove(Watched& watched) {
    watched.savedRevision.reset();
    RemoveAfterPendingWrites(RecoveryFilesOf(m_directory, m_pid, watched.number));
}

void RecoverySession::RemoveAfterPendingWrites(const RecoveryFileNames& files) {
    m_services.RunInBackground([files] {
        // The manifest first: a board without one is never offered.
        RemoveFile(files.manifest);
        RemoveFile(files.board);
        RemoveFile(files.project);
    });
}

void RecoverySession::ForgetClosedViews() {
    for (Watched& watched : m_watched)
        if (!IsLive(watched.view))
            Remove(watched);
    std::erase_if(m_watched, [](const Watched& watched) { return !IsLive(watched.view); });
}
