// tracevu-cli render: a scan painted at a zoom factor with a work file's
// pads and tracks drawn over it, by the same painting code as the view, into
// a PNG picture the size of the zoomed scan.
#include "board/board_painter.h"
#include "board/params.h"
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/project_input.h"
#include "exchange/text_lines.h"
#include "exchange/work_file.h"
#include "image/dib_doc.h"
#include "image/other_side_paint.h"
#include "platform/qt/qt_dc.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdio>
#include <optional>
#include <sstream>
#include <vector>

namespace {
constexpr const char* kName = "render";
constexpr const char* kUsage =
    "usage: tracevu-cli render [--zoom N] [--board WORK.dpb] [--colors FILE.col]\n"
    "                          [--hide L[,L...]] [--pad-radius R[,RY]] [--line-width W]\n"
    "                          SCAN OUT.png\n"
    "       tracevu-cli render --project P.tvproj [--side back] [--xray PERCENT]\n"
    "                          [--zoom N] [--hide L[,L...]] OUT.png\n"
    "Paints the scan enlarged N times (1, 2, 4, ... 256; 1 unless given) and draws\n"
    "the work file's tracks and pads over it as the program shows them, into a PNG\n"
    "picture of the enlarged scan's size. Tracks take their layer colours from\n"
    "FILE.col (the program's default colours without it); --hide leaves out the\n"
    "tracks of layers 1 to 12; pads have radius 5 by 5 and lines width 3 unless\n"
    "given. A project gives the scan, the board and the layer colours and\n"
    "visibility; --side back shows its other side as registered, --xray the other\n"
    "side through the one shown at PERCENT opacity (10 to 90).\n";

constexpr int kMaxZoom = 256;
// The picture is held in memory at 4 bytes a pixel; refuse more than 1 GiB.
constexpr long long kMaxPixels = 1LL << 28;

struct RenderOptions {
    int zoom = 1;
    int padRadiusX = 5;
    int padRadiusY = 5;
    int lineWidth = 3;
    int layerVisible[kLayerCount + 1] = {};
    SidesShown sides;
};

// Whole numbers from "A" or "A,B,...", each within [low, high].
std::optional<std::vector<int>> ParseNumberList(const std::string& text, int low, int high) {
    std::vector<int> out;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        if (item.empty() || item.size() > 9 ||
            item.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        const int value = std::stoi(item);
        if (value < low || value > high)
            return std::nullopt;
        out.push_back(value);
    }
    if (out.empty() || text.back() == ',')
        return std::nullopt;
    return out;
}

// Fills the options from the command line; a message for the first wrong one.
std::optional<std::string> ReadOptions(const CommandLine& line, RenderOptions& options) {
    for (int layer = 1; layer <= kLayerCount; ++layer)
        options.layerVisible[layer] = 1;
    if (const std::string* text = line.Option("--zoom")) {
        const auto zoom = ParseNumberList(*text, 1, kMaxZoom);
        if (!zoom || zoom->size() != 1 || ((*zoom)[0] & ((*zoom)[0] - 1)) != 0)
            return "--zoom takes a power of two from 1 to 256";
        options.zoom = (*zoom)[0];
    }
    if (const std::string* text = line.Option("--hide")) {
        const auto layers = ParseNumberList(*text, 1, kLayerCount);
        if (!layers)
            return "--hide takes layer numbers from 1 to 12, separated by commas";
        for (int layer : *layers)
            options.layerVisible[layer] = 0;
    }
    if (const std::string* text = line.Option("--pad-radius")) {
        const auto radii = ParseNumberList(*text, 0, 1000);
        if (!radii || radii->size() > 2)
            return "--pad-radius takes R or RX,RY, whole numbers from 0 to 1000";
        options.padRadiusX = (*radii)[0];
        options.padRadiusY = radii->back();
    }
    if (const std::string* text = line.Option("--side")) {
        if (*text != "back" && *text != "front")
            return "--side takes front or back";
        options.sides.back = *text == "back";
    }
    if (const std::string* text = line.Option("--xray")) {
        const auto opacity = ParseNumberList(*text, SidesShown::kLeastOpacity, SidesShown::kMostOpacity);
        if (!opacity || opacity->size() != 1)
            return "--xray takes an opacity from 10 to 90 percent";
        options.sides.xray = true;
        options.sides.opacity = (*opacity)[0];
    }
    if ((options.sides.back || options.sides.xray) && !line.Option("--project"))
        return "--side and --xray need a --project";
    if (line.Option("--project") && (line.Option("--board") || line.Option("--colors")))
        return "a --project brings its own board and colours";
    if (const std::string* text = line.Option("--line-width")) {
        const auto width = ParseNumberList(*text, 0, 1000);
        if (!width || width->size() != 1)
            return "--line-width takes a whole number from 0 to 1000";
        options.lineWidth = (*width)[0];
    }
    return std::nullopt;
}

// Saved as the program saves its files, so that a pipe, a device or a
// dangling link as the output gets the picture as they do.
bool SavePng(const QImage& picture, const std::string& path) {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
        return false;
    return WriteWholeFile(path,
                          std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
}
} // namespace

int RunRender(int argc, char** argv) {
    std::string error;
    const auto line = ParseCommandLine(
        argc, argv,
        {"--zoom", "--board", "--colors", "--hide", "--pad-radius", "--line-width", "--project", "--side",
         "--xray"},
        error);
    if (!line)
        return UsageError(kName, error, kUsage);
    if (line->help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    const std::string* projectPath = line->Option("--project");
    if (line->positional.size() != (projectPath ? 1u : 2u))
        return UsageError(kName, projectPath ? "expected OUT.png" : "expected SCAN and OUT.png", kUsage);
    RenderOptions options;
    if (const auto wrong = ReadOptions(*line, options))
        return UsageError(kName, *wrong, kUsage);
    std::optional<ProjectData> project;
    if (projectPath && !(project = ReadProjectInput(kName, *projectPath)))
        return kExitBadInput;
    if (project && (options.sides.back || options.sides.xray) && !project->back) {
        PrintError(kName, *projectPath + ": the project has no other side");
        return kExitBadInput;
    }
    const std::string scanPath = project ? project->frontScan : line->positional[0];
    const std::string& outPath = line->positional.back();

    // Colours come only from the file named: the program's own colour file in
    // the current directory is neither read nor written.
    if (const std::string* colors = line->Option("--colors");
        colors && !ReadLayerColors(*colors, SpecialFiles::Read)) {
        PrintError(kName, *colors + ": cannot read the colour file");
        return kExitBadInput;
    }

    CDibDoc document;
    document.ReadSpecialFiles();
    if (!document.OnOpenDocument(scanPath) || !document.GetDibBlock()) {
        PrintError(kName, scanPath + ": cannot read the scan");
        return kExitBadInput;
    }
    if (project && project->back && (options.sides.back || options.sides.xray)) {
        std::unique_ptr<OtherSide> side = LoadOtherSide(project->back->scan, project->back->lines);
        if (!side) {
            PrintError(kName, project->back->scan + ": cannot read the other side's scan");
            return kExitBadInput;
        }
        side->lines = project->back->lines;
        side->mirror = project->back->mirror;
        side->registered = project->back->registered;
        document.SetOtherSide(std::move(side));
    }
    if (project) {
        for (int layer = 0; layer < kLayerColorCount; ++layer) {
            g_crLayerColor[layer] = project->layers[static_cast<std::size_t>(layer)].color;
            if (layer >= 1 && layer <= kLayerCount && !project->layers[static_cast<std::size_t>(layer)].visible)
                options.layerVisible[layer] = 0;
        }
    }
    const CSize size = document.GetImageSize();
    const long long width = static_cast<long long>(size.cx) * options.zoom;
    const long long height = static_cast<long long>(size.cy) * options.zoom;
    if (size.cx <= 0 || size.cy <= 0 || width * height > kMaxPixels) {
        PrintError(kName, "the picture would be " + std::to_string(width) + " x " +
                              std::to_string(height) + " pixels, too large to render");
        return kExitBadInput;
    }

    BoardData board;
    if (project) {
        board = ProjectBoard(kName, *project, options.zoom);
    } else if (const std::string* boardPath = line->Option("--board")) {
        const auto text = ReadInputFile(kName, *boardPath, LooksLikeWorkFile);
        if (!text)
            return kExitBadInput;
        ReadReport report;
        board = ParseWorkFile(*text, options.zoom, report);
        ReportRead(kName, board, report);
    }

    QImage picture(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    if (picture.isNull()) {
        PrintError(kName, "not enough memory for the picture");
        return kExitBadInput;
    }
    picture.fill(Qt::white);
    {
        g_nPadRadiusX = options.padRadiusX;
        g_nPadRadiusY = options.padRadiusY;
        g_nLineWidth = options.lineWidth;
        QtPainterDC dc(picture);
        const CRect dest(0, 0, static_cast<int>(width), static_cast<int>(height));
        const int exponent = ZoomFactor(options.zoom).Exponent();
        const ScanLines lines = project ? project->frontLines : ScanLines{};
        if (!PaintSides(dc, document, options.sides, lines, exponent, nullptr))
            DibRender(&dc, dest, document.GetDibBlock(), CRect(0, 0, size.cx, size.cy),
                      document.GetDibPalette());
        BoardScene scene;
        scene.pads = board.pads;
        scene.tracks = board.tracks;
        scene.layerVisible = &options.layerVisible;
        scene.client = dest;
        PaintBoard(dc, scene);
    }
    if (!SavePng(picture, outPath)) {
        PrintError(kName, outPath + ": cannot write the picture");
        return kExitBadInput;
    }
    return kExitOk;
}
