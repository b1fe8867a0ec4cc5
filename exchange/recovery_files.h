// Names of recovery files. Each view of a running program autosaves into
// files named after the process and the view's number in it: "PID-N.dpb"
// (the board), "PID-N.manifest", and "PID-N.tvproj" (the other side and the
// project, without the board) when the manifest says so. Two instances and
// two windows never write the same file, and start-up can tell the files of
// a running instance (its process is alive) from those a killed one left.
#pragma once

#include <string>
#include <vector>

struct RecoveryFileNames {
    std::string board;
    std::string manifest;
    std::string project;
};

// The files of one view, in `directory`.
RecoveryFileNames RecoveryFilesOf(const std::string& directory, int pid, int viewNumber);

// True for a manifest's name, with the process and view it came from.
bool ParseManifestName(const std::string& name, int& pid, int& viewNumber);

// The manifests in `directory` whose process no longer runs, sorted by name.
std::vector<RecoveryFileNames> OrphanedRecoveryFiles(const std::string& directory);
