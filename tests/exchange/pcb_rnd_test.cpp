// The Protel export as another board program reads it: pcb-rnd loads the
// file and saves it in its own format, and the pads and tracks must be where
// the export put them.
#include "exchange/protel.h"
#include "exchange/scratch_dir.h"
#include "exchange/text_lines.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>

namespace {
bool HavePcbRnd() {
    return std::system("command -v pcb-rnd >/dev/null 2>&1") == 0;
}

// "500.0mil", "4.090263mm" or "0.0", in mils.
double Mils(const std::string& value) {
    const double number = std::strtod(value.c_str(), nullptr);
    return value.find("mm") != std::string::npos ? number / 0.0254 : number;
}

std::string Field(const std::string& line, const std::string& key) {
    const auto at = line.find(key + "=");
    if (at == std::string::npos)
        return "";
    const auto start = at + key.size() + 1;
    return line.substr(start, line.find(';', start) - start);
}

struct Point {
    double x, y;
};
struct Line {
    Point a, b;
    double thickness;
};

struct Layout {
    std::vector<Point> pads;
    std::map<std::string, std::vector<Line>> lines; // by layer name
};

Layout ReadLihata(const std::string& text) {
    Layout layout;
    std::istringstream in(text);
    std::string line, layer, pending;
    while (std::getline(in, line)) {
        if (line.find("ha:font") != std::string::npos)
            break; // glyph strokes follow
        const auto brace = line.find("{ha:");
        if (brace != std::string::npos)
            layer = line.substr(brace + 4, line.find('}', brace) - brace - 4);
        if (line.find("ha:padstack_ref") != std::string::npos ||
            line.find("ha:line.") != std::string::npos) {
            pending = line;
            continue;
        }
        if (pending.find("padstack_ref") != std::string::npos)
            layout.pads.push_back({Mils(Field(line, "x")), Mils(Field(line, "y"))});
        else if (!pending.empty())
            layout.lines[layer].push_back({{Mils(Field(line, "x1")), Mils(Field(line, "y1"))},
                                           {Mils(Field(line, "x2")), Mils(Field(line, "y2"))},
                                           Mils(Field(line, "thickness"))});
        pending.clear();
    }
    return layout;
}
} // namespace

TEST(PcbRnd, LoadsTheExportWithPadsAndTracksInPlace) {
    if (!HavePcbRnd())
        GTEST_SKIP() << "pcb-rnd is not installed";
    ScratchDir dir;
    BoardData board;
    board.pads = {{100, 50}, {20, 300}};
    board.tracks = {{10, 20, 30, 20, 1}, {40, 100, 40, 250, 6}};
    const auto text = FormatProtel(SpanOf(board), {5.0f, 5.0f, 400, 1});
    ASSERT_TRUE(text);
    ASSERT_TRUE(WriteWholeFile("in.pcb", *text));
    ASSERT_EQ(std::system("echo 'SaveTo(LayoutAs, out.lht, lihata)' | "
                          "timeout 120 pcb-rnd --gui batch in.pcb >pcb-rnd.log 2>&1"),
              0);
    std::string lihata;
    ASSERT_TRUE(ReadWholeFile("out.lht", lihata));
    const Layout layout = ReadLihata(lihata);

    // pcb-rnd counts y downwards from its own top edge: compare x directly
    // and y as distances from the first pad.
    ASSERT_EQ(layout.pads.size(), 2u);
    EXPECT_NEAR(layout.pads[0].x, 500, 0.01);
    EXPECT_NEAR(layout.pads[1].x, 100, 0.01);
    const double top = layout.pads[0].y - (2000 - 1750); // where Y = 2000 mils (pixel 0) lands
    EXPECT_NEAR(layout.pads[1].y - top, 1500, 0.01);

    ASSERT_EQ(layout.lines.count("top copper"), 1u);
    ASSERT_EQ(layout.lines.at("top copper").size(), 1u);
    const Line& top1 = layout.lines.at("top copper")[0];
    EXPECT_NEAR(top1.a.x, 50, 0.01);
    EXPECT_NEAR(top1.b.x, 150, 0.01);
    EXPECT_NEAR(top1.a.y - top, 100, 0.01);
    EXPECT_NEAR(top1.thickness, 12, 0.01);

    ASSERT_EQ(layout.lines.count("bottom copper"), 1u);
    const Line& bottom = layout.lines.at("bottom copper").at(0);
    EXPECT_NEAR(bottom.a.x, 200, 0.01);
    EXPECT_NEAR(bottom.a.y - top, 500, 0.01);
    EXPECT_NEAR(bottom.b.y - top, 1250, 0.01);
}
