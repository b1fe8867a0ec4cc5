// Remembered scales for tests: kept in a map, installed for the object's
// lifetime.
#pragma once

#include "platform/scale_memory.h"

#include <map>

class ScriptedScaleMemory : public IScaleMemory {
  public:
    ScriptedScaleMemory() : m_previous(SetScaleMemory(this)) {}
    ~ScriptedScaleMemory() override { SetScaleMemory(m_previous); }
    ScriptedScaleMemory(const ScriptedScaleMemory&) = delete;
    ScriptedScaleMemory& operator=(const ScriptedScaleMemory&) = delete;

    std::optional<std::pair<int, int>> Recall(const std::string& imagePath) override {
        const auto it = kept.find(imagePath);
        return it == kept.end() ? std::nullopt : std::optional(it->second);
    }
    void Remember(const std::string& imagePath, int x, int y) override {
        kept[imagePath] = {x, y};
    }

    std::map<std::string, std::pair<int, int>> kept;

  private:
    IScaleMemory* m_previous;
};
