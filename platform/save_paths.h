// Where a save writes: the file a target name leads to, the directory beside
// it, and clearing what saves killed there left behind.
#pragma once

#include <string>

// The file a save of `target` writes. Links are followed: to the file they
// point to, and a dangling one (or a chain of them) to the name it gives,
// read relative to the link's own directory. A new file keeps the name
// given, and so does a special file, which is opened by that name. False
// with errno set when the name cannot be resolved.
bool ResolveSaveTarget(const std::string& target, std::string& path);

// The directory part of a path: "." for a bare name.
std::string DirectoryOf(const std::string& path);

// Removes temporary files of saves in `directory` whose process is gone and
// that were last written over a minute ago.
void RemoveStaleTemporaries(const std::string& directory);
