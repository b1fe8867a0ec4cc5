#include "platform/qt/huge_page_image.h"

#include <sys/mman.h>

#include <cstdint>
#include <limits>

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

struct Mapping {
    void* start;
    std::size_t length;
};

void Unmap(void* info) {
    auto* mapping = static_cast<Mapping*>(info);
    munmap(mapping->start, mapping->length);
    delete mapping;
}

// `bytes` of memory starting on a huge page, advised for huge pages.
Mapping* MapHuge(std::size_t bytes) {
    const std::size_t length = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* raw = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const auto base = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t start = (base + kHugePage - 1) / kHugePage * kHugePage;
    if (start > base)
        munmap(raw, start - base);
    if (base + kHugePage > start)
        munmap(reinterpret_cast<void*>(start + length), base + kHugePage - start);
    madvise(reinterpret_cast<void*>(start), length, MADV_HUGEPAGE);
    return new Mapping{reinterpret_cast<void*>(start), length};
}

} // namespace

QImage NewHugePageImage(const QSize& size, QImage::Format format) {
    const qsizetype width = size.width(), height = size.height();
    constexpr qsizetype kMaxSide = std::numeric_limits<int>::max() / 4;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
        width * 4 * height < kHugePageImageBytes)
        return QImage(size, format);
    Mapping* mapping = MapHuge(std::size_t(width) * 4 * std::size_t(height));
    if (!mapping)
        return QImage(size, format);
    QImage image(static_cast<uchar*>(mapping->start), size.width(), size.height(), width * 4,
                 format, Unmap, mapping);
    if (image.isNull())
        Unmap(mapping);
    return image;
}
