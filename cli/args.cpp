#include "cli/args.h"

#include <algorithm>
#include <charconv>

const std::string* CommandLine::Option(const std::string& name) const {
    const auto it = options.find(name);
    return it == options.end() ? nullptr : &it->second;
}

std::optional<CommandLine> ParseCommandLine(int argc, char** argv,
                                            const std::vector<std::string>& valueOptions,
                                            std::string& error) {
    CommandLine line;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            line.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            line.help = true;
            continue;
        }
        const auto eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        if (std::find(valueOptions.begin(), valueOptions.end(), name) == valueOptions.end()) {
            error = "unknown option " + name;
            return std::nullopt;
        }
        if (eq != std::string::npos) {
            line.options[name] = arg.substr(eq + 1);
        } else if (i + 1 < argc) {
            line.options[name] = argv[++i];
        } else {
            error = "option " + name + " needs a value";
            return std::nullopt;
        }
    }
    return line;
}

namespace {
// A whole decimal number greater than 0, nothing before or after it.
std::optional<int> PositiveNumber(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value <= 0)
        return std::nullopt;
    return value;
}

std::optional<std::pair<int, int>> PositivePair(const std::string& text, char separator) {
    const auto at = text.find(separator);
    if (at == std::string::npos)
        return std::nullopt;
    const auto first = PositiveNumber(std::string_view(text).substr(0, at));
    const auto second = PositiveNumber(std::string_view(text).substr(at + 1));
    if (!first || !second)
        return std::nullopt;
    return std::make_pair(*first, *second);
}
} // namespace

std::optional<ScanLines> ParseScanLines(const std::string& text) {
    if (text.find(',') == std::string::npos) {
        const auto both = PositiveNumber(text);
        if (!both)
            return std::nullopt;
        return ScanLines{*both, *both};
    }
    const auto pair = PositivePair(text, ',');
    if (!pair)
        return std::nullopt;
    return ScanLines{pair->first, pair->second};
}

std::optional<ImageSize> ParseImageSize(const std::string& text) {
    const auto pair = PositivePair(text, 'x');
    if (!pair)
        return std::nullopt;
    return ImageSize{pair->first, pair->second};
}
