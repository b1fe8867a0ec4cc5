#include "exchange/recovery_offer.h"

#include "board/dib_view.h"
#include "board/params.h"
#include "exchange/recovery_board.h"
#include "exchange/recovery_files.h"
#include "exchange/recovery_session.h"
#include "exchange/text_lines.h"
#include "exchange/view_board_load.h"
#include "exchange/view_project.h"
#include "image/dib_doc.h"
#include "platform/directory.h"
#include "platform/user_services.h"

#include <algorithm>
#include <ctime>
#include <optional>

namespace {
constexpr const char* kCaption = "Quarzline";

struct Candidate {
    RecoveryFileNames files;
    RecoveryManifest manifest;
    BoardData board;
    std::optional<ProjectData> project;
    std::string projectError; // why the project file the manifest names cannot be used
};

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string LocalTime(std::int64_t seconds) {
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    char text[32] = "?";
    if (localtime_r(&time, &local))
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

void SayDamaged(const RecoveryFileNames& files, const std::string& why) {
    Services().MessageBox("The recovery file " + files.board + " cannot be used: " + why +
                              ". It is left where it is.",
                          kCaption, MB_OK | MB_ICONSTOP);
}

// The other side and the project beside the board. The board is recovered
// without them when they cannot be read.
void ReadProjectState(Candidate& candidate) {
    std::string text;
    if (!ReadWholeFile(candidate.files.project, text)) {
        candidate.projectError = "The file " + candidate.files.project + " cannot be read.";
        return;
    }
    ProjectReadResult read = ParseProject(text, candidate.files.project);
    candidate.project = std::move(read.project);
    candidate.projectError = std::move(read.error);
}

// The manifest and its board, read whole; nothing (after telling the user)
// when either is missing or damaged.
std::optional<Candidate> ReadCandidate(const RecoveryFileNames& files) {
    std::string text;
    std::string error;
    if (!ReadWholeFile(files.manifest, text)) {
        SayDamaged(files, "its manifest cannot be read");
        return std::nullopt;
    }
    auto manifest = ParseRecoveryManifest(text, error);
    if (!manifest) {
        SayDamaged(files, "its manifest is damaged (" + error + ")");
        return std::nullopt;
    }
    if (!ReadWholeFile(files.board, text)) {
        SayDamaged(files, "it cannot be read");
        return std::nullopt;
    }
    auto board = ParseRecoveryBoard(text, *manifest, error);
    if (!board) {
        SayDamaged(files, error);
        return std::nullopt;
    }
    Candidate candidate{files, std::move(*manifest), std::move(*board), std::nullopt, {}};
    if (candidate.manifest.projectState)
        ReadProjectState(candidate);
    return candidate;
}

CDibView* OpenFor(const RecoveryManifest& manifest, const RecoveryViewOpener& open) {
    if (!manifest.imagePath.empty()) {
        if (IsRegularFile(manifest.imagePath)) {
            if (CDibView* view = open(manifest.imagePath))
                return view;
        }
        Services().MessageBox("The image " + manifest.imagePath +
                                  " cannot be opened any more. The tracing is recovered over a "
                                  "new empty document.",
                              kCaption, MB_OK | MB_ICONEXCLAMATION);
    }
    return open(std::string());
}

// The other side goes back on the document, unless its scan is gone or
// cannot be read (its reader then says why).
void RecoverOtherSide(CDibView& view, const ProjectBack& back) {
    CDibDoc* doc = view.GetDocument();
    if (!doc)
        return;
    if (!IsRegularFile(back.scan)) {
        Services().MessageBox("The other side's scan " + back.scan +
                                  " cannot be opened any more. The tracing is recovered without "
                                  "the other side.",
                              kCaption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (PutOtherSide(*doc, back, back.scan))
        view.Invalidate(false);
}

// The project the tracing belonged to, and its other side.
void RecoverProject(CDibView& view, const Candidate& candidate) {
    if (!candidate.manifest.projectPath.empty())
        view.ResumeProject(candidate.manifest.projectPath,
                           candidate.project ? candidate.project->original : std::string());
    if (candidate.project && candidate.project->back)
        RecoverOtherSide(view, *candidate.project->back);
    if (!candidate.project && candidate.manifest.projectState)
        Services().MessageBox("The other side of the recovered tracing cannot be put back. " +
                                  candidate.projectError + " The tracing is recovered without it.",
                              kCaption, MB_OK | MB_ICONEXCLAMATION);
}

// Puts the board on a view of its image; false when no view could be opened.
bool Recover(Candidate& candidate, RecoverySession& session, const RecoveryViewOpener& open) {
    CDibView* view = OpenFor(candidate.manifest, open);
    if (!view) {
        SayDamaged(candidate.files, "no window could be opened for it");
        return false;
    }
    // The tracing was drawn against these; the recovered document takes them.
    view->SetScanLines({candidate.manifest.scanLinesX, candidate.manifest.scanLinesY});
    RescaleBoard(candidate.board, candidate.manifest.scale, view->m_nScale);
    ReadReport report;
    ReplaceViewBoard(*view, candidate.board, report, board::StepKind::RecoverBoard);
    RecoverProject(*view, candidate);
    view->MarkBoardModified();
    // The old files go only once the board is safe in new ones.
    session.SaveNow(*view);
    return true;
}
} // namespace

std::string RecoveryQuestion(const RecoveryManifest& manifest) {
    const std::string over =
        manifest.imagePath.empty() ? "a new document" : BaseName(manifest.imagePath);
    return "Recover the tracing over " + over + " from " + LocalTime(manifest.savedAt) + "?";
}

void OfferRecovery(RecoverySession& session, const RecoveryViewOpener& open) {
    std::vector<Candidate> candidates;
    for (const RecoveryFileNames& files : OrphanedRecoveryFiles(session.Directory()))
        if (auto candidate = ReadCandidate(files))
            candidates.push_back(std::move(*candidate));
    std::stable_sort(candidates.begin(), candidates.end(), [](const auto& a, const auto& b) {
        return a.manifest.savedAt < b.manifest.savedAt;
    });
    for (Candidate& candidate : candidates) {
        const int answer = Services().MessageBox(RecoveryQuestion(candidate.manifest), kCaption,
                                                 MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL)
            return;
        if (answer == IDYES && !Recover(candidate, session, open))
            continue;
        session.RemoveAfterPendingWrites(candidate.files);
    }
}
