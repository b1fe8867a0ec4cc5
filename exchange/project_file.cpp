#include "exchange/project_file.h"

#include "platform/atomic_file.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>

using nlohmann::json;
namespace fs = std::filesystem;

namespace {

constexpr const char* kFormat = "tracevu-project";

const char* MirrorName(registration::Mirror mirror) {
    switch (mirror) {
    case registration::Mirror::LeftRight: return "left-right";
    case registration::Mirror::TopBottom: return "top-bottom";
    case registration::Mirror::None: return "none";
    }
    return "left-right";
}

std::optional<registration::Mirror> MirrorOf(const std::string& name) {
    if (name == "left-right")
        return registration::Mirror::LeftRight;
    if (name == "top-bottom")
        return registration::Mirror::TopBottom;
    if (name == "none")
        return registration::Mirror::None;
    return std::nullopt;
}

const char* ShapeName(PadShape shape) {
    switch (shape) {
    case PadShape::Round: return "round";
    case PadShape::Rectangle: return "rectangle";
    case PadShape::Octagon: return "octagon";
    }
    return "round";
}

int ShapeCode(const std::string& name) {
    return name == "rectangle" ? 2 : name == "octagon" ? 3 : 1;
}

std::string ColorText(COLORREF c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

std::optional<COLORREF> ColorOf(const std::string& text) {
    unsigned r, g, b;
    char end;
    if (text.size() != 7 || std::sscanf(text.c_str(), "#%2x%2x%2x%c", &r, &g, &b, &end) != 3)
        return std::nullopt;
    return RGB(static_cast<int>(r), static_cast<int>(g), static_cast<int>(b));
}

// A problem with the file's contents, told to the user as it is.
struct Malformed {
    std::string what;
};

const json& Member(const json& object, const char* key) {
    if (!object.is_object() || !object.contains(key))
        throw Malformed{std::string("\"") + key + "\" is missing"};
    return object.at(key);
}

double Number(const json& value, const char* what) {
    if (!value.is_number() || !std::isfinite(value.get<double>()))
        throw Malformed{std::string(what) + " is not a number"};
    return value.get<double>();
}

int WholeNumber(const json& value, const char* what, int low, int high) {
    const double v = Number(value, what);
    if (!(v >= low && v <= high) || v != std::floor(v))
        throw Malformed{std::string(what) + " is out of range"};
    return static_cast<int>(v);
}

std::string Text(const json& value, const char* what) {
    if (!value.is_string())
        throw Malformed{std::string(what) + " is not text"};
    return value.get<std::string>();
}

json LinesJson(ScanLines lines) { return json::array({lines.x, lines.y}); }

ScanLines LinesOf(const json& value) {
    if (!value.is_array() || value.size() != 2)
        throw Malformed{"\"scanLines\" is not two numbers"};
    const ScanLines lines{WholeNumber(value[0], "a scan line count", 1, kLargestScanLines),
                          WholeNumber(value[1], "a scan line count", 1, kLargestScanLines)};
    return lines;
}

json BackJson(json back, const ProjectBack& side, const std::string& projectPath) {
    back["scan"] = RelativeToProject(side.scan, projectPath);
    back["scanLines"] = LinesJson(side.lines);
    back["mirror"] = MirrorName(side.mirror);
    json pairs = json::array();
    for (const auto& pair : side.pairs)
        pairs.push_back({pair.front.x, pair.front.y, pair.back.x, pair.back.y});
    back["pairs"] = pairs;
    if (side.registered)
        back["transform"] = side.registered->Matrix();
    else
        back.erase("transform");
    return back;
}

ProjectBack BackOf(const json& back, const std::string& projectPath) {
    ProjectBack side;
    side.scan = ResolveFromProject(Text(Member(back, "scan"), "the back scan"), projectPath);
    side.lines = LinesOf(Member(back, "scanLines"));
    const auto mirror = MirrorOf(Text(Member(back, "mirror"), "\"mirror\""));
    if (!mirror)
        throw Malformed{"\"mirror\" is none of left-right, top-bottom and none"};
    side.mirror = *mirror;
    const json& pairs = Member(back, "pairs");
    if (!pairs.is_array())
        throw Malformed{"\"pairs\" is not a list"};
    for (const json& pair : pairs) {
        if (!pair.is_array() || pair.size() != 4)
            throw Malformed{"a pair is not four numbers"};
        side.pairs.push_back({{Number(pair[0], "a pair"), Number(pair[1], "a pair")},
                              {Number(pair[2], "a pair"), Number(pair[3], "a pair")}});
    }
    if (back.contains("transform")) {
        const json& m = back.at("transform");
        if (!m.is_array() || m.size() != 9)
            throw Malformed{"\"transform\" is not nine numbers"};
        std::array<double, 9> values{};
        for (std::size_t i = 0; i < 9; ++i)
            values[i] = Number(m[i], "the transform");
        const registration::Transform t(values);
        if (!t.Inverse())
            throw Malformed{"\"transform\" cannot be inverted"};
        side.registered = t;
    }
    return side;
}

json LayersJson(const ProjectData& project) {
    json layers = json::array();
    for (const ProjectLayer& layer : project.layers)
        layers.push_back({{"color", ColorText(layer.color)}, {"visible", layer.visible}});
    return layers;
}

void ReadLayers(const json& layers, ProjectData& project) {
    if (!layers.is_array())
        throw Malformed{"\"layers\" is not a list"};
    for (std::size_t i = 0; i < layers.size() && i < project.layers.size(); ++i) {
        const auto color = ColorOf(Text(Member(layers[i], "color"), "a layer colour"));
        if (!color)
            throw Malformed{"a layer colour is not #rrggbb"};
        const json& visible = Member(layers[i], "visible");
        if (!visible.is_boolean())
            throw Malformed{"a layer's \"visible\" is not true or false"};
        project.layers[i] = {*color, visible.get<bool>()};
    }
}

ProjectData ProjectOf(const json& root, const std::string& projectPath) {
    ProjectData project;
    const json& front = Member(root, "front");
    project.frontScan = ResolveFromProject(Text(Member(front, "scan"), "the front scan"), projectPath);
    project.frontLines = LinesOf(Member(front, "scanLines"));
    if (root.contains("back") && !root.at("back").is_null())
        project.back = BackOf(root.at("back"), projectPath);
    ReadLayers(Member(root, "layers"), project);
    const json& pad = Member(root, "newPad");
    project.newPad = SanePadSize(WholeNumber(Member(pad, "x"), "a pad size", kMinSizeMil, kMaxSizeMil),
                                 WholeNumber(Member(pad, "y"), "a pad size", kMinSizeMil, kMaxSizeMil),
                                 WholeNumber(Member(pad, "hole"), "a hole", 0, kMaxSizeMil),
                                 ShapeCode(Text(Member(pad, "shape"), "a pad shape")));
    project.newTrack = SaneTrackSize(
        WholeNumber(Member(Member(root, "newTrack"), "width"), "a track width", kMinSizeMil, kMaxSizeMil));
    const json& view = Member(root, "view");
    project.zoomExponent = WholeNumber(Member(view, "zoomExponent"), "the zoom", ZoomFactor::kMinExponent,
                                       ZoomFactor::kMaxExponent);
    const json& scroll = Member(view, "scroll");
    if (!scroll.is_array() || scroll.size() != 2)
        throw Malformed{"\"scroll\" is not two numbers"};
    project.scroll = CPoint(WholeNumber(scroll[0], "the scroll position", 0, 1 << 30),
                            WholeNumber(scroll[1], "the scroll position", 0, 1 << 30));
    project.workFile = Text(Member(Member(root, "board"), "workFile"), "the board");
    return project;
}

bool IsInside(const fs::path& path, const fs::path& folder) {
    auto p = path.begin();
    for (auto f = folder.begin(); f != folder.end(); ++f, ++p)
        if (p == path.end() || *p != *f)
            return false;
    return true;
}

fs::path FolderOf(const std::string& projectPath) {
    return fs::absolute(fs::path(projectPath)).lexically_normal().parent_path();
}

} // namespace

std::string RelativeToProject(const std::string& path, const std::string& projectPath) {
    if (path.empty())
        return path;
    const fs::path folder = FolderOf(projectPath);
    const fs::path absolute = fs::absolute(fs::path(path)).lexically_normal();
    if (!IsInside(absolute, folder))
        return absolute.string();
    return absolute.lexically_relative(folder).string();
}

std::string ResolveFromProject(const std::string& path, const std::string& projectPath) {
    const fs::path p(path);
    if (p.empty())
        return path;
    if (p.is_absolute())
        return p.lexically_normal().string();
    return (FolderOf(projectPath) / p).lexically_normal().string();
}

std::string FormatProject(const ProjectData& project, const std::string& projectPath) {
    json root = json::object();
    if (!project.original.empty()) {
        json original = json::parse(project.original, nullptr, false);
        if (original.is_object())
            root = std::move(original);
    }
    root["format"] = kFormat;
    root["version"] = kProjectVersion;
    json front = root.contains("front") && root["front"].is_object() ? root["front"] : json::object();
    front["scan"] = RelativeToProject(project.frontScan, projectPath);
    front["scanLines"] = LinesJson(project.frontLines);
    root["front"] = front;
    if (project.back) {
        json back = root.contains("back") && root["back"].is_object() ? root["back"] : json::object();
        root["back"] = BackJson(back, *project.back, projectPath);
    } else {
        root.erase("back");
    }
    root["layers"] = LayersJson(project);
    root["newPad"] = {{"x", project.newPad.x}, {"y", project.newPad.y}, {"hole", project.newPad.hole},
                      {"shape", ShapeName(project.newPad.shape)}};
    root["newTrack"] = {{"width", project.newTrack.width}};
    root["view"] = {{"zoomExponent", project.zoomExponent}, {"scroll", {project.scroll.x, project.scroll.y}}};
    json board = root.contains("board") && root["board"].is_object() ? root["board"] : json::object();
    board["workFile"] = project.workFile;
    root["board"] = board;
    // JSON text is UTF-8; a file name that is not is written with its bad
    // bytes replaced, rather than failing the whole project.
    return root.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

ProjectReadResult ParseProject(std::string_view text, const std::string& projectPath) {
    const json root = json::parse(text.begin(), text.end(), nullptr, false);
    if (root.is_discarded() || !root.is_object())
        return {std::nullopt, "This is not a project file: it is not JSON."};
    if (!root.contains("format") || root["format"] != kFormat)
        return {std::nullopt, "This is not a project file of this program."};
    if (!root.contains("version") || !root["version"].is_number_integer())
        return {std::nullopt, "The project file has no version."};
    const auto version = root["version"].get<long long>();
    if (version > kProjectVersion)
        return {std::nullopt, "The project was saved by a newer version of this program (project version " +
                                  std::to_string(version) + "; this one reads up to " +
                                  std::to_string(kProjectVersion) + "). Open it with that version."};
    if (version < 1)
        return {std::nullopt, "The project file's version is not one this program knows."};
    try {
        ProjectData project = ProjectOf(root, projectPath);
        project.original = std::string(text);
        return {std::move(project), {}};
    } catch (const Malformed& e) {
        return {std::nullopt, "The project file is damaged: " + e.what + "."};
    } catch (const json::exception&) {
        return {std::nullopt, "The project file is damaged."};
    }
}

bool WriteProjectFile(const std::string& path, const ProjectData& project) {
    const std::string text = FormatProject(project, path);
    AtomicFile file;
    if (!file.Open(path))
        return false;
    if (std::fwrite(text.data(), 1, text.size(), file.Stream()) != text.size()) {
        const int error = errno;
        file.Discard();
        errno = error;
        return false;
    }
    return file.Commit();
}
