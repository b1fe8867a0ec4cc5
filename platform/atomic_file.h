// Saving without ever destroying the file that was there: the data go to a
// temporary file beside the target, which replaces the target only when every
// byte was written and flushed to disk.
#pragma once

#include <cstdio>
#include <string>

class AtomicFile {
  public:
    AtomicFile() = default;
    ~AtomicFile(); // discards the temporary file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file; false (with errno set) when it cannot, or
    // when the target exists and may not be written.
    bool Open(const std::string& target);
    // The stream to write to while open. Text written here keeps its bytes
    // as given: write "\r\n" for the files' line ends.
    std::FILE* Stream() const { return m_fp; }
    // Flushes, syncs and renames over the target. False when anything failed;
    // the target is then untouched and the temporary file removed.
    bool Commit();
    // Drops the temporary file; the target is untouched.
    void Discard();

  private:
    std::string m_target;
    std::string m_temp;
    std::FILE* m_fp = nullptr;
};
