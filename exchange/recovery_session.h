// Autosaving the boards of a running program. Every view is watched from its
// creation; while its board has unsaved changes, a timer writes it with a
// manifest into the recovery directory whenever its revision, its
// document's scan lines, its other side or its project moved since its last
// autosave. Its files go as soon as the board is saved again (or undone
// back to its saved state) and when the view is closed.
//
// The interface thread only copies the board; formatting and writing run on
// the session's background worker, removals too, so that they happen in
// order.
#pragma once

#include "board/scan_lines.h"
#include "exchange/board_data.h"
#include "exchange/project_file.h"
#include "exchange/recovery_files.h"
#include "platform/session_services.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CDibView;

class RecoverySession {
  public:
    static constexpr int kAutosaveIntervalMs = 60 * 1000;

    // Autosaves into `directory` (created when needed) under process `pid`.
    RecoverySession(ISessionServices& services, std::string directory, int pid);
    // Waits for the writes and removals handed to the worker.
    ~RecoverySession();
    RecoverySession(const RecoverySession&) = delete;
    RecoverySession& operator=(const RecoverySession&) = delete;

    const std::string& Directory() const { return m_directory; }

    void Watch(CDibView& view);
    // The view's board or its saved state changed.
    void BoardChanged(CDibView& view);
    // The timer's work: autosaves every modified board whose revision moved.
    void Tick();
    // Autosaves the view now, whatever its revision.
    void SaveNow(CDibView& view);
    // Removes the files of watched views that no longer exist.
    void ForgetClosedViews();
    // Removes other files once the writes handed over before are done.
    void RemoveAfterPendingWrites(const RecoveryFileNames& files);
    // The files the view autosaves into; nothing for a view not watched.
    std::optional<RecoveryFileNames> FilesOf(const CDibView& view) const;

  private:
    struct Watched {
        CDibView* view = nullptr;
        int number = 0;
        std::optional<std::uint64_t> savedRevision; // set while its files hold a board
        std::shared_ptr<std::atomic<bool>> writeFailed;
        ScanLines savedScanLines; // those the manifest holds
        std::string savedProjectPath;
        std::optional<ProjectBack> savedBack;
    };

    Watched* Find(const CDibView& view);
    static bool MovedSinceSaved(const Watched& watched);
    void Save(Watched& watched);
    void Remove(Watched& watched);

    ISessionServices& m_services;
    std::string m_directory;
    int m_pid;
    int m_nextNumber = 1;
    bool m_directoryMade = false;
    std::vector<Watched> m_watched;
    std::unique_ptr<IRepeatingTimer> m_timer;
};
