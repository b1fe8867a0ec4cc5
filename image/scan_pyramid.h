// Reduced copies of a scan, for painting it below zoom 1. Level k holds the
// scan reduced 2^k times in each direction: each of its pixels is the
// average of the 2 x 2 pixels of level k - 1 it covers (of the one or two
// that exist along an odd edge), so a level is ceil(w / 2) x ceil(h / 2) of
// the one before, and a thin trace turns grey instead of vanishing. Levels
// go down to the first one that fits in kPyramidSmallest pixels each way.
//
// Every level is a DIB block of the document's own layout (40-byte header,
// bottom-up rows), painted the way the scan is at zoom 1. The first level of
// a scan whose rows are already what a level holds (24-bit colour, 256
// greys in order) is not kept: it would take a quarter of the scan's bytes,
// and a window's worth of it is reduced from the scan in the time it takes
// to paint (FirstLevelPart). Colour scans get
// 24-bit levels; grey 8-bit scans and 1-bit scans of two greys 8-bit grey
// levels; other 1-bit scans 8-bit levels whose table runs from the scan's
// colour 0 to its colour 1. Levels of 24 bits for a 4- or 8-bit colour scan
// take as many bytes as the scan or more; for the others they take at most
// a third of the scan's bytes.
#pragma once

#include "image/dib.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

constexpr int kPyramidSmallest = 64;

class ScanPyramid {
  public:
    // levels[0] may be null: a first level of firstSize reduced when painted.
    explicit ScanPyramid(std::vector<HDIB> levels, CSize firstSize = CSize(0, 0))
        : m_levels(std::move(levels)), m_firstSize(firstSize) {}
    ~ScanPyramid();
    ScanPyramid(const ScanPyramid&) = delete;
    ScanPyramid& operator=(const ScanPyramid&) = delete;

    // Levels 1 .. LevelCount(); none for a scan that fits already.
    int LevelCount() const { return static_cast<int>(m_levels.size()); }
    // The block of level k; null when there is no such level or when it is
    // reduced from the scan as it is painted.
    HDIB Level(int k) const;
    bool IsReducedWhenPainted(int k) const { return k == 1 && LevelCount() > 0 && !m_levels[0]; }
    // Width and height of level k; (0, 0) when there is no such level.
    CSize LevelSize(int k) const;
    // Bytes the levels hold together.
    std::size_t Bytes() const;

  private:
    std::vector<HDIB> m_levels;
    CSize m_firstSize;
};

// Part of a first level that is reduced when painted, made from the scan as
// a DIB block of the level's layout; the block is reused from one part to
// the next.
class FirstLevelPart {
  public:
    FirstLevelPart() = default;
    ~FirstLevelPart();
    FirstLevelPart(const FirstLevelPart&) = delete;
    FirstLevelPart& operator=(const FirstLevelPart&) = delete;

    // Reduces `area` (in the level's pixels, rows from the top) of the first
    // level of the scan block (one that passed DibCheckBlock). False when
    // that level is kept rather than reduced, when the area is empty or not
    // within the level, or when memory runs out.
    bool Reduce(const void* scan, std::size_t bytes, const CRect& area);
    // The last area reduced: area.Width() x area.Height() pixels.
    HDIB Block() const { return m_block; }

  private:
    HDIB m_block = nullptr;
};

// Told the share of the work done (0 to 1) now and then; returning false
// stops the build.
using PyramidProgress = std::function<bool(double done)>;

// Builds the levels of a block that passed DibCheckBlock, reading only its
// bytes: a pure function that may run on any thread while nobody changes
// the block. Null when the block cannot be shown, when memory runs out, or
// when progress asked to stop.
std::unique_ptr<ScanPyramid> BuildScanPyramid(const void* block, std::size_t bytes,
                                              const PyramidProgress& progress = {});
// The same for a block handle (locked while the levels are built).
std::unique_ptr<ScanPyramid> BuildScanPyramid(HDIB scan, const PyramidProgress& progress = {});
