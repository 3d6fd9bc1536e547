// `vantorel plot`: the drawing as the view draws it, onto PNG, PDF and SVG, compared with ezdxf's drawing add-on
// (an independent renderer) at the same window and size.
#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

using apptest::ReadFile;
using apptest::Shell;
using apptest::ShellRun;
using apptest::WriteFile;

class Plot : public ::testing::Test {
protected:
    void SetUp() override { dir = apptest::TestFolder("plot-"); }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    ShellRun Python(const std::string& arguments) const {
        return Shell("/usr/bin/python3 " + std::string(PLOT_COMPARE) + " " + arguments + " 2>/dev/null");
    }
    ShellRun Vantorel(const std::string& arguments, std::string* errors = nullptr) const {
        return apptest::Vantorel(dir, arguments, errors);
    }
    // How much of our image's ink lies within 3 pixels of ezdxf's, and of theirs within 3 pixels of ours.
    std::pair<double, double> Compare(const std::string& drawing, const std::string& png, const std::string& window,
                                      const std::string& size) const {
        ShellRun compared = Python("compare " + Path(drawing) + " " + Path(png) + " " + window + " " + size);
        std::pair<double, double> near{0.0, 0.0};
        EXPECT_EQ(std::sscanf(compared.out.c_str(), "ours %lf theirs %lf", &near.first, &near.second), 2) << compared.out;
        return near;
    }
    std::filesystem::path dir;
};

// Python that names the colours of a PNG's pixels: `a` its pixels as 0-255 triples, `names` the tests of black (or
// the grey of an antialiased line), green and red, `seen(pixels)` the sorted names that occur among them.
std::string NamedColours(const std::string& png) {
    return "import matplotlib.image as m; a = (m.imread('" + png + "')[:, :, :3] * 255).round().astype(int); "
           "names = {'black': lambda c: max(c) < 160 and max(c) - min(c) < 40, "
           "'green': lambda c: c[1] > 200 and max(c[0], c[2]) < 80, "
           "'red': lambda c: c[0] > 200 and max(c[1], c[2]) < 80}; "
           "seen = lambda pixels: sorted({n for c in pixels.reshape(-1, 3) for n, f in names.items() if f(c)}); ";
}

// What Python prints of a PNG's ink (`ink`: its pixels darker than 0.8 in any channel, rows by columns) by `code`.
std::string InkOf(const std::string& png, const std::string& code) {
    return Shell("/usr/bin/python3 -c \"import matplotlib.image as m; ink = (m.imread('" + png +
                 "')[:, :, :3] < 0.8).any(axis=2); " + code + "\"")
        .out;
}

// Width and height from a PNG's header.
std::pair<int, int> PngSize(const std::string& png) {
    auto word = [&](std::size_t at) {
        return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
               (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
    };
    return png.size() > 24 ? std::pair<int, int>{word(16), word(20)} : std::pair<int, int>{0, 0};
}

TEST_F(Plot, EveryKindIsDrawnAsEzdxfDrawsIt) {
    ASSERT_EQ(Python("make " + Path("kinds.dxf")).exitCode, 0);
    std::string errors;
    ShellRun run = Vantorel("plot " + Path("kinds.dxf") + " -o " + Path("kinds.png") + " --window -2,-2,42,58 --size "
                            "880x1200", &errors);
    ASSERT_EQ(run.exitCode, 0) << errors;
    // The standard style's font is the CAD program's own.
    EXPECT_EQ(errors, "vantorel: " + Path("kinds.dxf") + ": SHX fonts drawn in a sans face: txt.shx\n");
    std::string png = ReadFile(Path("kinds.png"));
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(PngSize(png), (std::pair<int, int>{880, 1200}));
    // ezdxf draws points as dots whatever PDMODE says, and neither a wipeout's nor an image's frame.
    auto [ours, theirs] = Compare("kinds.dxf", "kinds.png", "-2,-2,42,58", "880x1200");
    EXPECT_GE(ours, 0.93);
    EXPECT_GE(theirs, 0.95);
    // 20 pixels a unit from (-2, 58) at the top left: ink where the point's cross is and the lines run, none under
    // the wipeout, the image's file name near its frame's corner.
    ShellRun ink = Shell("/usr/bin/python3 -c \"import matplotlib.image as m; a = m.imread('" + Path("kinds.png") +
                         "')[:, :, :3]; ink = (a < 0.8).any(axis=2); at = lambda x, y: int(ink[round((58 - y) * 20) - 1:"
                         "round((58 - y) * 20) + 2, round((x + 2) * 20) - 1:round((x + 2) * 20) + 2].any()); "
                         "print(at(2, 47), at(2.35, 47.35), at(9, 47), at(12, 47), at(15, 47), "
                         "int(ink[round((58 - 45.6) * 20):round((58 - 45.1) * 20), round(20.1 * 20):round(23 * 20)].any()))\"");
    EXPECT_EQ(ink.out, "1 1 1 0 1 1\n");
    // The same drawing as vectors.
    ASSERT_EQ(Vantorel("plot " + Path("kinds.dxf") + " -o " + Path("kinds.pdf")).exitCode, 0);
    EXPECT_EQ(ReadFile(Path("kinds.pdf")).substr(0, 5), "%PDF-");
    ASSERT_EQ(Vantorel("plot " + Path("kinds.dxf") + " -o " + Path("kinds.svg") + " --background black").exitCode, 0);
    std::string svg = ReadFile(Path("kinds.svg"));
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("width=\"1600pt\" height=\"1000pt\""), std::string::npos) << svg.substr(0, 300);
}

// A window of the image's shape fills it exactly: a line across the window runs from the first column to the last.
TEST_F(Plot, AWindowOfTheImagesShapeFillsItExactly) {
    WriteFile(Path("line.dxf"), "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\n0\n 10\n0\n 20\n5\n 30\n0\n 11\n10\n 21\n5\n"
                                " 31\n0\n  0\nENDSEC\n  0\nEOF\n");
    ASSERT_EQ(Vantorel("plot " + Path("line.dxf") + " -o " + Path("line.png") + " --window 0,0,10,10 --size 100x100")
                  .exitCode,
              0);
    EXPECT_EQ(InkOf(Path("line.png"), "cols = ink.any(axis=0).nonzero()[0]; rows = ink.any(axis=1).nonzero()[0]; "
                                      "print(cols.min(), cols.max(), rows.min(), rows.max())"),
              "0 99 49 50\n");
}

TEST_F(Plot, WhatCannotBeDrawnIsSaidOnceAndMistakesAreUsage) {
    ASSERT_EQ(Python("undrawable " + Path("solids.dxf")).exitCode, 0);
    std::string errors;
    ShellRun run = Vantorel("plot " + Path("solids.dxf") + " -o " + Path("solids.png"), &errors);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(errors, "vantorel: " + Path("solids.dxf") + ": not drawn: 2 3DSOLID, 1 REGION\n");
    struct Case {
        std::string arguments;
        std::string said;
    };
    const Case cases[] = {
        {" -o x.jpg", "vantorel: a plot is written as PNG, PDF or SVG: give -o a name ending in .png, .pdf or .svg\n"},
        {" -o x.png --window 1,2,3", "vantorel: --window takes X1,Y1,X2,Y2, two opposite corners of a window with an "
                                     "area\n"},
        {" -o x.png --size 10x10", "vantorel: --size takes WxH in pixels, each from 16 to 20000 (say 1600x1000)\n"},
        {" -o x.png --background grey", "vantorel: --background takes white or black\n"},
    };
    for (const Case& c : cases) {
        run = Vantorel("plot " + Path("solids.dxf") + c.arguments, &errors);
        EXPECT_EQ(run.exitCode, 64) << c.arguments;
        EXPECT_EQ(errors, c.said);
    }
}

// Layers as the CAD program has them: frozen and off show nothing, a layer not to be plotted shows in the view
// but not in a plot; a true colour is the entity's own.
TEST_F(Plot, LayersFrozenOffAndNotPlottedAndTrueColours) {
    ASSERT_EQ(Python("layers " + Path("layers.dxf")).exitCode, 0);
    ASSERT_EQ(Vantorel("plot " + Path("layers.dxf") + " -o " + Path("layers.png") + " --window 0,0.05,10,5.05 --size 100x50")
                  .exitCode,
              0);
    ShellRun ink = Shell("/usr/bin/python3 -c \"import matplotlib.image as m; a = m.imread('" + Path("layers.png") +
                         "')[:, :, :3]; rows = sorted(set((a < 0.8).any(axis=2).nonzero()[0])); "
                         "print(rows, [round(v * 255) for v in a[rows[0], 50]])\"");
    // y 1 runs through the middle of row 40 of 50, in its own colour; nothing at y 2, 3, 4, of the invisible ones
    // or on Defpoints.
    EXPECT_EQ(ink.out, "[40] [18, 52, 86]\n");
}

// Linetypes, lineweights, BYBLOCK through nested blocks, layer 0 in a block and pattern hatches in each style: the
// ink where ezdxf puts it, and the colours the CAD program gives.
TEST_F(Plot, LinetypesBlockPropertiesAndPatternHatchesAsEzdxfDrawsThem) {
    ASSERT_EQ(Python("styles " + Path("styles.dxf")).exitCode, 0);
    std::string errors;
    ASSERT_EQ(Vantorel("plot " + Path("styles.dxf") + " -o " + Path("styles.png") + " --window -2,-2,42,50 --size "
                       "880x1040", &errors).exitCode,
              0)
        << errors;
    EXPECT_EQ(errors, ""); // no text, so no font to say anything of
    auto [ours, theirs] = Compare("styles.dxf", "styles.png", "-2,-2,42,50", "880x1040");
    EXPECT_GE(ours, 0.97);
    EXPECT_GE(theirs, 0.95);
    // The hatches alone, where islands and styles show.
    ASSERT_EQ(Vantorel("plot " + Path("styles.dxf") + " -o " + Path("hatches.png") + " --window 0,27,42,39 --size 840x240")
                  .exitCode,
              0);
    std::tie(ours, theirs) = Compare("styles.dxf", "hatches.png", "0,27,42,39", "840x240");
    EXPECT_GE(ours, 0.98);
    EXPECT_GE(theirs, 0.98);
    // Around the first reference (green, dashed): its BYBLOCK lines and circle green, its BYLAYER line on layer 0
    // black; around the second (on layer RED): every line red.
    auto colours = [&](const std::string& window) {
        Vantorel("plot " + Path("styles.dxf") + " -o " + Path("part.png") + " --window " + window + " --size 200x200");
        return Shell("/usr/bin/python3 -c \"" + NamedColours(Path("part.png")) + "print(seen(a))\"").out;
    };
    EXPECT_EQ(colours("2,19,8,25"), "['black', 'green']\n");
    EXPECT_EQ(colours("10,17,20,27"), "['red']\n");
}

// Texts in every alignment, fitted, slanted and mirrored, multiline texts wrapped at their attachment points: near
// where ezdxf sets them (its fallback face is wider than ours, so the figures are lower than for lines).
TEST_F(Plot, TextsAreSetByAlignmentStyleAndColumnWidth) {
    ASSERT_EQ(Python("texts " + Path("texts.dxf")).exitCode, 0);
    std::string errors;
    ASSERT_EQ(Vantorel("plot " + Path("texts.dxf") + " -o " + Path("texts.png") + " --window -2,0,52,64 --size 1080x1280",
                       &errors)
                  .exitCode,
              0);
    EXPECT_EQ(errors, "vantorel: " + Path("texts.dxf") + ": SHX fonts drawn in a sans face: txt.shx, romans.shx\n");
    auto [ours, theirs] = Compare("texts.dxf", "texts.png", "-2,0,52,64", "1080x1280");
    EXPECT_GE(ours, 0.9);
    EXPECT_GE(theirs, 0.9);
    // Six words of four letters in a column two words wide: three lines of text, in bands of ink.
    ASSERT_EQ(Shell("/usr/bin/python3 -c \"import ezdxf; d = ezdxf.new(); d.modelspace().add_mtext('aaaa aaaa aaaa "
                    "aaaa aaaa aaaa', dxfattribs={'char_height': 1, 'width': 7, 'insert': (0, 10)}); d.saveas('" +
                    Path("wrap.dxf") + "')\"")
                  .exitCode,
              0);
    ASSERT_EQ(Vantorel("plot " + Path("wrap.dxf") + " -o " + Path("wrap.png") + " --window 0,0,10,10 --size 200x200")
                  .exitCode,
              0);
    EXPECT_EQ(InkOf(Path("wrap.png"), "rows = ink.any(axis=1); "
                                      "print(sum(1 for i in range(1, len(rows)) if rows[i] and not rows[i - 1]))"),
              "3\n");
}

// A polyface mesh and a MESH are drawn as their faces' edges and a polygon mesh as its grid, as ezdxf draws them; the
// face records' zero points are no corners: nothing reaches the origin.
TEST_F(Plot, MeshesAndPolyfacesAreDrawnAsTheirEdges) {
    ASSERT_EQ(Python("meshes " + Path("meshes.dxf")).exitCode, 0);
    ASSERT_EQ(Vantorel("plot " + Path("meshes.dxf") + " -o " + Path("meshes.png") + " --window -2,-2,32,22 --size 680x480")
                  .exitCode,
              0);
    auto [ours, theirs] = Compare("meshes.dxf", "meshes.png", "-2,-2,32,22", "680x480");
    EXPECT_GE(ours, 0.95);
    EXPECT_GE(theirs, 0.95);
    // The corner from (-2, -2) to (8, 8): 20 pixels to a unit, rows from the top.
    EXPECT_EQ(InkOf(Path("meshes.png"), "print(int(ink[280:, :200].sum()))"), "0\n");
    // The cube's near top edge from (10, 16) to (16, 16) is there.
    EXPECT_EQ(InkOf(Path("meshes.png"), "print(int(ink[118:123, 260:340].any(axis=0).sum()) > 70)"), "True\n");
    // The pyramid's diagonal from (2, 14) to (5, 17) passes (3.5, 15.5).
    EXPECT_EQ(InkOf(Path("meshes.png"), "print(bool(ink[127:134, 106:114].any()))"), "True\n");
}

// A layout: its own entities, and model space through each viewport, scaled, cut to the viewport's frame and
// without the layers frozen in that viewport; a layout that is not there is named with those that are.
TEST_F(Plot, ALayoutShowsModelSpaceThroughItsViewports) {
    ASSERT_EQ(Python("sheets " + Path("sheets.dxf")).exitCode, 0);
    std::string errors;
    // 3 pixels a millimetre of the A4 sheet.
    ASSERT_EQ(Vantorel("plot " + Path("sheets.dxf") + " -o " + Path("sheet.png") +
                       " --layout \"sheet a\" --window 0,0,297,210 --size 891x630", &errors)
                  .exitCode,
              0)
        << errors;
    auto look = [&](const std::string& code) {
        return Shell("/usr/bin/python3 -c \"" + NamedColours(Path("sheet.png")) +
                     "part = lambda x1, y1, x2, y2: seen(a[630 - y2 * 3:630 - y1 * 3, x1 * 3:x2 * 3]); " + code + "\"")
            .out;
    };
    // Inside the first viewport everything; inside the second no walls; between them, where the second's view of
    // the middle line would run on were it not cut, nothing.
    EXPECT_EQ(look("print(part(22, 52, 178, 168), part(202, 32, 278, 88), part(184, 55, 196, 65))"),
              "['black', 'green', 'red'] ['black', 'green'] []\n");
    ShellRun missing = Vantorel("plot " + Path("sheets.dxf") + " -o " + Path("x.png") + " --layout Plan", &errors);
    EXPECT_EQ(missing.exitCode, 64);
    EXPECT_EQ(errors, "vantorel: the drawing has no layout named \"Plan\": its layouts are Model, Layout1, Sheet A\n");
}


// Hebrew and Arabic are set in the order they are read: "א1" shows the digit first, on the left, where a text of
// the digit alone puts it, and the letter after it.
TEST_F(Plot, RightToLeftTextIsSetInReadingOrder) {
    std::string make = "/usr/bin/python3 -c \"import ezdxf\nfor name, text in (('both', '\\u05d0' '1'), ('one', '1')):\n"
                       "    d = ezdxf.new('R2018'); m = d.modelspace()\n"
                       "    m.add_text(text, dxfattribs={'height': 5}).set_placement((1, 1))\n"
                       "    d.saveas('" + Path("") + "' + name + '.dxf')\"";
    ASSERT_EQ(Shell(make).exitCode, 0);
    for (const char* name : {"both", "one"})
        ASSERT_EQ(Vantorel(std::string("plot ") + Path(std::string(name) + ".dxf") + " -o " +
                           Path(std::string(name) + ".png") + " --codepage utf-8 --window 0,0,20,10 --size 400x200")
                      .exitCode,
                  0);
    ShellRun ink = Shell("/usr/bin/python3 -c \"import matplotlib.image as m\nink = lambda n: (m.imread('" + Path("") +
                         "' + n + '.png')[:, :, :3] < 0.8).any(axis=2)\nb, o = ink('both'), ink('one')\n"
                         "cols = o.any(axis=0).nonzero()[0]\nleft = cols.max() + 1\n"
                         "print(int((b[:, :left] == o[:, :left]).all()), int(b[:, left:].any()))\"");
    EXPECT_EQ(ink.out, "1 1\n");
}


// A block that holds a reference to itself is drawn once along each path; blocks of blocks nested so deep and
// wide that drawing them all would never end are drawn in part, and said so.
TEST_F(Plot, SelfReferringAndExplodingBlocksEnd) {
    ASSERT_EQ(Shell("/usr/bin/python3 -c \"import ezdxf\nd = ezdxf.new('R2018'); m = d.modelspace()\n"
                    "loop = d.blocks.new('LOOP'); loop.add_line((0, 0), (1, 1)); loop.add_blockref('LOOP', (2, 0))\n"
                    "for level in range(8):\n"
                    "    b = d.blocks.new('B%d' % level)\n"
                    "    for k in range(12):\n"
                    "        b.add_blockref('B%d' % (level + 1), (k, 0)) if level < 7 else b.add_point((k, 0))\n"
                    "m.add_blockref('LOOP', (0, 0)); m.add_blockref('B0', (0, 5))\n"
                    "d.saveas('" + Path("blocks.dxf") + "')\"")
                  .exitCode,
              0);
    std::string errors;
    ASSERT_EQ(Vantorel("plot " + Path("blocks.dxf") + " -o " + Path("blocks.png"), &errors).exitCode, 0) << errors;
    EXPECT_EQ(errors, "vantorel: " + Path("blocks.dxf") + ": not drawn: 1 INSERT drawn in part (more than 2000000 "
                      "pieces)\n");
}

} // namespace
