// A fresh, empty working directory for one test, so that files written by
// bare name (the layer colours, the test's own files) start from nothing.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>

class ScratchDir {
  public:
    ScratchDir() : m_previous(std::filesystem::current_path()) {
        static std::atomic<int> counter{0};
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = "case-" + std::to_string(counter++);
        if (info)
            name += std::string("-") + info->name();
        m_path = m_previous / name;
        std::filesystem::create_directories(m_path);
        std::filesystem::current_path(m_path);
    }
    ~ScratchDir() { std::filesystem::current_path(m_previous); }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

  private:
    std::filesystem::path m_previous;
    std::filesystem::path m_path;
};
