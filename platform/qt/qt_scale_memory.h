// Remembered scales in the program's settings file: one group per image
// file, named by the hexadecimal bytes of its path (paths hold slashes,
// which the settings take for groups, and need not be UTF-8).
#pragma once

#include "platform/scale_memory.h"

#include <QSettings>

#include <functional>
#include <memory>

class QtScaleMemory : public IScaleMemory {
  public:
    using SettingsOpener = std::function<std::unique_ptr<QSettings>()>;
    // Opens the settings afresh for every look-up, as the recent-file list
    // does, so that another running instance's changes are seen.
    explicit QtScaleMemory(SettingsOpener open) : m_open(std::move(open)) {}

    std::optional<std::pair<int, int>> Recall(const std::string& imagePath) override;
    void Remember(const std::string& imagePath, int x, int y) override;

  private:
    SettingsOpener m_open;
};
