#include "platform/global_memory.h"

#include <cstdlib>
#include <cstring>
#include <new>

struct GlobalBlock {
    void* data = nullptr;
    std::size_t size = 0;
    unsigned locks = 0;
};

HGLOBAL GlobalAlloc(unsigned /*flags*/, std::size_t bytes) {
    auto* block = new (std::nothrow) GlobalBlock;
    if (!block)
        return nullptr;
    // calloc lets the system hand out zeroed pages lazily, so a big scan is not
    // touched twice when it is read straight into the block.
    block->data = std::calloc(bytes ? bytes : 1, 1);
    if (!block->data) {
        delete block;
        return nullptr;
    }
    block->size = bytes;
    return block;
}

HGLOBAL GlobalReAlloc(HGLOBAL h, std::size_t bytes, unsigned /*flags*/) {
    if (!h || h->locks != 0)
        return nullptr;
    void* data = std::realloc(h->data, bytes ? bytes : 1);
    if (!data)
        return nullptr;
    if (bytes > h->size)
        std::memset(static_cast<char*>(data) + h->size, 0, bytes - h->size);
    h->data = data;
    h->size = bytes;
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
    std::free(h->data);
    delete h;
    return nullptr;
}

std::size_t GlobalSize(HGLOBAL h) { return h ? h->size : 0; }

unsigned GlobalLockCount(HGLOBAL h) { return h ? h->locks : 0; }
