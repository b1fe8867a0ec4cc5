// The few directory operations recovery files need: make the directory,
// list its names, remove a file, ask whether a file is there, and whether
// a process is still running.
#pragma once

#include <string>
#include <vector>

// Creates the directory and its parents, readable by the user only. True when
// it exists afterwards.
bool MakeDirectories(const std::string& path);
// The names in a directory (not "." and ".."), sorted; empty when it cannot
// be read.
std::vector<std::string> ListDirectory(const std::string& path);
// Removes a file; true when it is gone afterwards (also when it was never there).
bool RemoveFile(const std::string& path);
// A regular file (or a link to one) is there.
bool IsRegularFile(const std::string& path);

int CurrentProcessId();
// False only when no process with this id exists any more.
bool ProcessIsRunning(int pid);
