// The texts the file commands show, shared by the board view and the
// command-line tool.
#pragma once

inline constexpr const char* kBoardCaption = "Quarzline";
inline constexpr const char* kReadErrorText = "Read error or file format is invalid!";
inline constexpr const char* kWriteErrorText = "Write file error!";
inline constexpr const char* kExportRangeText =
    "A coordinate is out of range and cannot be written: nothing was saved.";
inline constexpr const char* kImportRangeText =
    "The file's coordinates are out of range: nothing was read.";
inline constexpr const char* kOpenWorkOverUnsavedText =
    "The tracing has unsaved changes. Open the work file anyway? You can undo this.";
inline constexpr const char* kImportOverUnsavedText =
    "The tracing has unsaved changes. Import the Protel file anyway? You can undo this.";
