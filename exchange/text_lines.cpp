#include "exchange/text_lines.h"

#include "platform/atomic_file.h"

#include <charconv>
#include <cstdio>
#include <cstring>

bool LineCursor::Next(std::string_view& line) {
    if (m_pos >= m_text.size())
        return false;
    const std::size_t end = m_text.find_first_of("\r\n", m_pos);
    if (end == std::string_view::npos) {
        line = m_text.substr(m_pos);
        m_pos = m_text.size();
    } else {
        line = m_text.substr(m_pos, end - m_pos);
        const bool crlf =
            m_text[end] == '\r' && end + 1 < m_text.size() && m_text[end + 1] == '\n';
        m_pos = end + (crlf ? 2 : 1);
    }
    ++m_line;
    return true;
}

namespace {
// Far larger than any board file; keeps a stray huge file from exhausting memory.
constexpr std::size_t kMaxFileBytes = std::size_t{256} << 20;

// The white space that "%d" skips in the C locale.
bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
} // namespace

int ReadIntegers(std::string_view line, int* values, int count) {
    const char* p = line.data();
    const char* const end = p + line.size();
    int got = 0;
    while (got < count) {
        while (p < end && IsBlank(*p))
            ++p;
        // from_chars takes a minus sign but not a plus sign.
        const bool plus = p < end && *p == '+';
        const char* first = plus ? p + 1 : p;
        if (plus && first < end && *first == '-')
            break;
        int value = 0;
        const auto [next, ec] = std::from_chars(first, end, value);
        if (ec != std::errc())
            break;
        values[got++] = value;
        p = next;
    }
    return got;
}

bool IsBlankText(std::string_view text) {
    for (const char c : text)
        if (!IsBlank(c))
            return false;
    return true;
}

bool TruncateToInt(double value, int& result) {
    // Both bounds are exact doubles; NaN fails both comparisons.
    if (!(value > -2147483649.0 && value < 2147483648.0))
        return false;
    result = static_cast<int>(value);
    return true;
}

void AppendIntegerLine(std::string& out, const int* values, int count) {
    char buffer[16 * 12];
    char* p = buffer;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            *p++ = ' ';
        p = std::to_chars(p, buffer + sizeof buffer, values[i]).ptr;
    }
    *p++ = '\r';
    *p++ = '\n';
    out.append(buffer, static_cast<std::size_t>(p - buffer));
}

void AppendLine(std::string& out, std::string_view text) {
    out.append(text);
    out.append("\r\n");
}

bool ReadWholeFile(const std::string& path, std::string& contents, SpecialFiles special) {
    int osError = 0;
    std::FILE* fp = OpenForReading(path, osError, special);
    if (!fp)
        return false;
    std::string data;
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, fp);
        data.append(buffer, got);
        if (data.size() > kMaxFileBytes) {
            ok = false;
            break;
        }
        if (got < sizeof buffer) {
            // A directory opens but fails to read.
            ok = !std::ferror(fp);
            break;
        }
    }
    std::fclose(fp);
    if (ok)
        contents = std::move(data);
    return ok;
}

bool WriteWholeFile(const std::string& path, std::string_view contents) {
    AtomicFile file;
    if (!file.Open(path))
        return false;
    if (!contents.empty() &&
        std::fwrite(contents.data(), 1, contents.size(), file.Stream()) != contents.size())
        return false;
    return file.Commit();
}
