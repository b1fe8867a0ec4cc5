#include "platform/global_memory.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Blocks this big (a scan) are mapped on their own, aligned to and advised
// for transparent huge pages: touching fresh memory a 4 KB page at a time
// costs most of the time of decoding and first painting a big scan.
constexpr std::size_t kHugeBlockBytes = std::size_t{64} << 20;
constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;
bool g_hugePages = true;

std::size_t RoundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

// A zero-filled mapping of `length` bytes (a multiple of the huge page
// size) that starts on a huge page; null when it cannot be had.
void* MapAligned(std::size_t length) {
    if (length > SIZE_MAX - kHugePageBytes)
        return nullptr;
    void* raw = mmap(nullptr, length + kHugePageBytes, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const auto base = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t start = RoundUp(base, kHugePageBytes);
    const std::size_t head = start - base;
    if (head)
        munmap(raw, head);
    if (kHugePageBytes - head)
        munmap(reinterpret_cast<void*>(start + length), kHugePageBytes - head);
    madvise(reinterpret_cast<void*>(start), length, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(start);
}

} // namespace

struct GlobalBlock {
    void* data = nullptr;
    std::size_t size = 0;
    std::size_t mapped = 0; // bytes mapped for the block; 0 when from the heap
    unsigned locks = 0;
};

namespace {

// Gives the block `bytes` of zero-filled memory; false when there is none.
bool Allocate(GlobalBlock& block, std::size_t bytes) {
    if (g_hugePages && bytes >= kHugeBlockBytes) {
        const std::size_t length = RoundUp(bytes, kHugePageBytes);
        block.data = MapAligned(length);
        block.mapped = block.data ? length : 0;
    } else {
        // calloc lets the system hand out zeroed pages lazily, so a block
        // read straight into is not touched twice.
        block.data = std::calloc(bytes ? bytes : 1, 1);
        block.mapped = 0;
    }
    block.size = bytes;
    return block.data != nullptr;
}

void Release(GlobalBlock& block) {
    if (block.mapped)
        munmap(block.data, block.mapped);
    else
        std::free(block.data);
    block.data = nullptr;
}

} // namespace

void SetGlobalHugePages(bool enabled) { g_hugePages = enabled; }

HGLOBAL GlobalAlloc(unsigned /*flags*/, std::size_t bytes) {
    auto* block = new (std::nothrow) GlobalBlock;
    if (!block)
        return nullptr;
    if (!Allocate(*block, bytes)) {
        delete block;
        return nullptr;
    }
    return block;
}

HGLOBAL GlobalReAlloc(HGLOBAL h, std::size_t bytes, unsigned /*flags*/) {
    if (!h || h->locks != 0)
        return nullptr;
    // A mapped block shrinks in place: a scan trimmed to its data is not
    // copied for it.
    if (h->mapped && bytes <= h->size) {
        h->size = bytes;
        return h;
    }
    if (!h->mapped && !(g_hugePages && bytes >= kHugeBlockBytes)) {
        void* data = std::realloc(h->data, bytes ? bytes : 1);
        if (!data)
            return nullptr;
        if (bytes > h->size)
            std::memset(static_cast<char*>(data) + h->size, 0, bytes - h->size);
        h->data = data;
        h->size = bytes;
        return h;
    }
    GlobalBlock grown;
    if (!Allocate(grown, bytes))
        return nullptr;
    std::memcpy(grown.data, h->data, std::min(bytes, h->size));
    Release(*h);
    h->data = grown.data;
    h->size = grown.size;
    h->mapped = grown.mapped;
    return h;
}

void* GlobalLock(HGLOBAL h) {
    if (!h)
        return nullptr;
    ++h->locks;
    return h->data;
}

bool GlobalUnlock(HGLOBAL h) {
    if (!h || h->locks == 0)
        return false;
    --h->locks;
    return h->locks > 0;
}

HGLOBAL GlobalFree(HGLOBAL h) {
    if (!h)
        return nullptr;
    Release(*h);
    delete h;
    return nullptr;
}

std::size_t GlobalSize(HGLOBAL h) { return h ? h->size : 0; }

unsigned GlobalLockCount(HGLOBAL h) { return h ? h->locks : 0; }
