// Line-by-line reading and number conversion shared by the text formats.
// Numbers are read and written without the C locale's help, so a program
// running under another locale reads and writes the same files.
#pragma once

#include "platform/file.h"

#include <cstddef>
#include <string>
#include <string_view>

// Hands out the lines of a text one at a time. A line ends at CR LF, at a
// bare LF or at a bare CR, so files from any system read alike. A last line
// without a line end still counts.
class LineCursor {
  public:
    explicit LineCursor(std::string_view text) : m_text(text) {}
    // False at the end of the text.
    bool Next(std::string_view& line);
    // 1-based number of the line last handed out.
    int LineNumber() const { return m_line; }

  private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_line = 0;
};

// Reads up to `count` whole numbers from the start of a line, each preceded
// by any white space, as "%d %d ..." would. Returns how many were read; a
// number that is not a whole number or does not fit an int ends the reading.
int ReadIntegers(std::string_view line, int* values, int count);

// True when the text holds nothing but white space.
bool IsBlankText(std::string_view text);

// Truncates toward zero into an int; false for NaN, infinities and values
// outside int.
bool TruncateToInt(double value, int& result);

// Appends values as decimal numbers separated by single blanks, then CR LF.
void AppendIntegerLine(std::string& out, const int* values, int count);
void AppendLine(std::string& out, std::string_view text);

// Reads a whole file. False when it cannot be opened or read, or when it is
// not a regular file and special is SpecialFiles::Refuse.
bool ReadWholeFile(const std::string& path, std::string& contents,
                   SpecialFiles special = SpecialFiles::Refuse);
// Writes a file through a temporary file beside it, renamed over the target
// only when every byte was written. False on any failure; the previous file
// is then untouched.
bool WriteWholeFile(const std::string& path, std::string_view contents);
