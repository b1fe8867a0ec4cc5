// Movable, zero-filled, lockable memory blocks with the semantics of the
// Windows global memory calls. A handle stays valid until GlobalFree; the
// address returned by GlobalLock stays valid while the block is locked.
#pragma once

#include <cstddef>

struct GlobalBlock;
using HGLOBAL = GlobalBlock*;

constexpr unsigned GMEM_MOVEABLE = 0x0002;
constexpr unsigned GMEM_ZEROINIT = 0x0040;
constexpr unsigned GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// Returns null when the size cannot be allocated. The block is always zero-filled.
HGLOBAL GlobalAlloc(unsigned flags, std::size_t bytes);
// Changes the size of an unlocked block, keeping its contents (a larger
// block is zero-filled beyond them). Returns the handle, or null when the
// block is locked or the size cannot be had; the block is then unchanged.
HGLOBAL GlobalReAlloc(HGLOBAL h, std::size_t bytes, unsigned flags);
// Returns null for a null handle.
void* GlobalLock(HGLOBAL h);
// Returns true while the block is still locked after this call.
bool GlobalUnlock(HGLOBAL h);
// Returns null on success (as Windows does), the handle when it could not be freed.
HGLOBAL GlobalFree(HGLOBAL h);
// Allocated size in bytes; 0 for a null handle.
std::size_t GlobalSize(HGLOBAL h);
// Current lock count (for tests and checks).
unsigned GlobalLockCount(HGLOBAL h);
// Whether blocks of 64 MB and more get transparent huge pages (on unless
// turned off, which benchmarks do to measure what they bring).
void SetGlobalHugePages(bool enabled);

// Locks a block for the lifetime of the object.
class GlobalLockGuard {
  public:
    explicit GlobalLockGuard(HGLOBAL h) : m_h(h), m_p(GlobalLock(h)) {}
    ~GlobalLockGuard() {
        if (m_p)
            GlobalUnlock(m_h);
    }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
    void* get() const { return m_p; }
    std::size_t size() const { return GlobalSize(m_h); }

  private:
    HGLOBAL m_h;
    void* m_p;
};
