// The scan resolution the user set for an image file, kept between runs so
// that reopening the scan brings it back. One implementation keeps it in the
// program's settings file, another in memory for tests.
#pragma once

#include <optional>
#include <string>
#include <utility>

class IScaleMemory {
  public:
    virtual ~IScaleMemory() = default;
    // The x and y dots per inch kept for the file at `imagePath` (as the
    // system spells it, not necessarily UTF-8); nothing when none were kept.
    virtual std::optional<std::pair<int, int>> Recall(const std::string& imagePath) = 0;
    virtual void Remember(const std::string& imagePath, int x, int y) = 0;
};

// The memory of the running program or of a test; null when none was
// installed (then nothing is remembered).
IScaleMemory* ScaleMemory();
// Installs the memory; returns the previous one.
IScaleMemory* SetScaleMemory(IScaleMemory* memory);
