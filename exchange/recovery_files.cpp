#include "exchange/recovery_files.h"

#include "platform/directory.h"

#include <charconv>
#include <string_view>

namespace {
constexpr std::string_view kManifestSuffix = ".manifest";
constexpr std::string_view kBoardSuffix = ".dpb";
constexpr std::string_view kProjectSuffix = ".tvproj";

bool ReadPositive(std::string_view text, int& value) {
    if (text.empty() || text.front() == '0')
        return false;
    const auto [end, result] = std::from_chars(text.data(), text.data() + text.size(), value);
    return result == std::errc() && end == text.data() + text.size() && value > 0;
}
} // namespace

RecoveryFileNames RecoveryFilesOf(const std::string& directory, int pid, int viewNumber) {
    const std::string stem = directory + "/" + std::to_string(pid) + "-" + std::to_string(viewNumber);
    return {stem + std::string(kBoardSuffix), stem + std::string(kManifestSuffix),
            stem + std::string(kProjectSuffix)};
}

bool ParseManifestName(const std::string& name, int& pid, int& viewNumber) {
    std::string_view rest = name;
    if (!rest.ends_with(kManifestSuffix))
        return false;
    rest.remove_suffix(kManifestSuffix.size());
    const std::size_t dash = rest.find('-');
    return dash != std::string_view::npos && ReadPositive(rest.substr(0, dash), pid) &&
           ReadPositive(rest.substr(dash + 1), viewNumber);
}

std::vector<RecoveryFileNames> OrphanedRecoveryFiles(const std::string& directory) {
    std::vector<RecoveryFileNames> found;
    for (const std::string& name : ListDirectory(directory)) {
        int pid = 0;
        int viewNumber = 0;
        if (ParseManifestName(name, pid, viewNumber) && pid != CurrentProcessId() &&
            !ProcessIsRunning(pid))
            found.push_back(RecoveryFilesOf(directory, pid, viewNumber));
    }
    return found;
}
