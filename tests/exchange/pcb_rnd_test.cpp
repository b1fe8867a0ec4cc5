// The Protel export as another board program reads it: pcb-rnd loads the
// file and saves it in its own format, and the pads and tracks must be where
// the export put them.
#include "exchange/protel.h"
#include "exchange/scratch_dir.h"
#include "exchange/text_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// pcb-rnd loads in.pcb and saves it as out.lht, its log in pcb-rnd.log.
bool SaveAsLihata() {
    return std::system("echo 'SaveTo(LayoutAs, out.lht, lihata)' | "
                       "timeout 120 pcb-rnd --gui batch in.pcb >pcb-rnd.log 2>&1") == 0;
}

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
    ASSERT_TRUE(SaveAsLihata());
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

namespace {
// A padstack prototype: its hole and the copper of its first shape.
struct Proto {
    double hole = 0;
    double width = 0;
    double height = 0;
    bool round = false;
};

struct PadRef {
    int proto;
    Point at;
};

double Coordinate(std::string token) {
    while (!token.empty() && (token.back() == ' ' || token.back() == '\t'))
        token.pop_back();
    return Mils(token);
}

std::vector<Proto> ReadProtos(const std::string& text) {
    std::vector<Proto> protos;
    std::istringstream in(text);
    std::string line;
    bool shapeSeen = false;
    while (std::getline(in, line)) {
        if (line.find("ha:ps_proto_v6.") != std::string::npos) {
            protos.emplace_back();
            shapeSeen = false;
        } else if (protos.empty() || shapeSeen) {
            continue;
        } else if (line.find("hdia=") != std::string::npos) {
            protos.back().hole = Mils(Field(line, "hdia"));
        } else if (line.find("ps_circ") != std::string::npos) {
            protos.back().round = true;
            protos.back().width = protos.back().height = Mils(Field(line, "dia"));
            shapeSeen = true;
        } else if (line.find("li:ps_poly") != std::string::npos) {
            double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
            for (int i = 0; std::getline(in, line) && line.find('}') == std::string::npos; ++i) {
                const double v = Coordinate(line.substr(line.find_first_not_of(" \t")));
                (i % 2 ? minY : minX) = std::min(i % 2 ? minY : minX, v);
                (i % 2 ? maxY : maxX) = std::max(i % 2 ? maxY : maxX, v);
            }
            protos.back().width = maxX - minX;
            protos.back().height = maxY - minY;
            shapeSeen = true;
        }
    }
    return protos;
}

std::vector<PadRef> ReadPadRefs(const std::string& text) {
    std::vector<PadRef> refs;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (line.find("proto=") != std::string::npos && line.find("rot=") != std::string::npos)
            refs.push_back({std::atoi(Field(line, "proto").c_str()),
                            {Mils(Field(line, "x")), Mils(Field(line, "y"))}});
    return refs;
}
} // namespace

// pcb-rnd reads round (1) and rectangular (2) pads and refuses Protel's
// octagon (3) by name, which shows the shape lands in the field it reads.
TEST(PcbRnd, ReadsEachPadsSizeShapeAndHoleAndEachTracksWidth) {
    if (!HavePcbRnd())
        GTEST_SKIP() << "pcb-rnd is not installed";
    ScratchDir dir;
    BoardData board;
    board.pads = {{100, 50}, {200, 50}, {300, 50}, {300, 200}};
    board.padSizes = {{80, 40, 32, PadShape::Rectangle},
                      {60, 60, 28, PadShape::Round},
                      {100, 100, 50, PadShape::Round},
                      {70, 50, 30, PadShape::Octagon}};
    board.tracks = {{10, 20, 30, 20, 1}, {10, 30, 30, 30, 1}, {10, 40, 30, 40, 6}};
    board.trackSizes = {{40}, {10}, {25}};
    const auto text = FormatProtel(SpanOf(board), {5.0f, 5.0f, 400, 1});
    ASSERT_TRUE(text);
    ASSERT_TRUE(WriteWholeFile("in.pcb", *text));
    ASSERT_TRUE(SaveAsLihata());
    std::string lihata, log;
    ASSERT_TRUE(ReadWholeFile("out.lht", lihata));
    ASSERT_TRUE(ReadWholeFile("pcb-rnd.log", log));
    EXPECT_NE(log.find("Unsupported FP shape: 3"), std::string::npos) << log;

    const std::vector<Proto> protos = ReadProtos(lihata);
    const std::vector<PadRef> refs = ReadPadRefs(lihata);
    ASSERT_EQ(refs.size(), 3u) << "the octagon is left out";
    const struct {
        double x, width, height, hole;
        bool round;
    } expected[] = {{500, 80, 40, 32, false}, {1000, 60, 60, 28, true}, {1500, 100, 100, 50, true}};
    for (const auto& e : expected) {
        const auto ref = std::find_if(refs.begin(), refs.end(),
                                      [&](const PadRef& r) { return std::abs(r.at.x - e.x) < 0.01; });
        ASSERT_NE(ref, refs.end()) << e.x;
        ASSERT_GE(ref->proto, 0);
        ASSERT_LT(static_cast<std::size_t>(ref->proto), protos.size());
        const Proto& p = protos[static_cast<std::size_t>(ref->proto)];
        EXPECT_NEAR(p.width, e.width, 0.01) << e.x;
        EXPECT_NEAR(p.height, e.height, 0.01) << e.x;
        EXPECT_NEAR(p.hole, e.hole, 0.01) << e.x;
        EXPECT_EQ(p.round, e.round) << e.x;
    }

    const Layout layout = ReadLihata(lihata);
    ASSERT_EQ(layout.lines.count("top copper"), 1u);
    const std::vector<Line>& top = layout.lines.at("top copper");
    ASSERT_EQ(top.size(), 2u);
    EXPECT_NEAR(top[0].thickness, 40, 0.01);
    EXPECT_NEAR(top[1].thickness, 10, 0.01);
    ASSERT_EQ(layout.lines.count("bottom copper"), 1u);
    EXPECT_NEAR(layout.lines.at("bottom copper").at(0).thickness, 25, 0.01);
}
