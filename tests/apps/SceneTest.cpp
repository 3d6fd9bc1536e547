// The live editor's picture of model space: what the view draws, picks and selects, from real objects.
#include "render/Curves.h"
#include "render/Hatching.h"
#include "render/Look.h"
#include "render/Texts.h"
#include "render/OpaqueEntities.h"
#include "render/Scene.h"

#include "platform/cad/Database.h"
#include "platform/cad/dxf/DxfReader.h"
#include "platform/ui/Canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <cstdlib>
#include <filesystem>
#include <array>
#include <cmath>

namespace {

using cad::Point3d;

class SceneOf : public ::testing::Test {
protected:
    // A block "BOX" of a unit square with its base point at (1, 1) and a circle of radius 0.25 in the middle.
    void SetUp() override {
        auto record = db.Make<cad::BlockTableRecord>();
        record->name = "BOX";
        record->origin = Point3d{1, 1, 0};
        ASSERT_EQ(db.AddRecord(db.BlockTableId(), std::move(record), &box), cad::ErrorStatus::Ok);
        const double corners[5][2] = {{1, 1}, {2, 1}, {2, 2}, {1, 2}, {1, 1}};
        for (int i = 0; i < 4; ++i)
            Line(box, corners[i][0], corners[i][1], corners[i + 1][0], corners[i + 1][1]);
        auto circle = db.Make<cad::Circle>();
        circle->center = Point3d{1.5, 1.5, 0};
        circle->radius = 0.25;
        cad::ObjectId id;
        ASSERT_EQ(db.AppendEntity(box, std::move(circle), &id), cad::ErrorStatus::Ok);
    }
    cad::ObjectId Line(cad::ObjectId block, double x1, double y1, double x2, double y2) {
        auto line = db.Make<cad::Line>();
        line->start = Point3d{x1, y1, 0};
        line->end = Point3d{x2, y2, 0};
        cad::ObjectId id = cad::kNullId;
        EXPECT_EQ(db.AppendEntity(block, std::move(line), &id), cad::ErrorStatus::Ok);
        return id;
    }
    cad::ObjectId Reference(cad::ObjectId block, Point3d at, double rotation = 0.0, Point3d scale = {1, 1, 1}) {
        auto reference = db.Make<cad::BlockReference>();
        reference->blockId = block;
        reference->position = at;
        reference->rotation = rotation;
        reference->scale = scale;
        cad::ObjectId id = cad::kNullId;
        EXPECT_EQ(db.AppendEntity(db.ModelSpaceId(), std::move(reference), &id), cad::ErrorStatus::Ok);
        return id;
    }
    render::Box BoxOf(double x1, double y1, double x2, double y2) {
        render::Box b;
        b.Add(x1, y1);
        b.Add(x2, y2);
        return b;
    }
    cad::Database db;
    cad::ObjectId box = cad::kNullId;
    render::Scene scene;
};

TEST_F(SceneOf, ReferencesArePlacedRotatedAndScaledAboutTheBlocksBasePoint) {
    // Quarter turn and twice the size at (10, 0): the square spans x 8..10 and y 0..2.
    cad::ObjectId turned = Reference(box, Point3d{10, 0, 0}, std::acos(-1.0) / 2, Point3d{2, 2, 1});
    scene.Build(db);
    ASSERT_EQ(scene.GroupCount(), 1u);
    const render::Box& e = scene.Extents();
    EXPECT_NEAR(e.minX, 8.0, 1e-9);
    EXPECT_NEAR(e.maxX, 10.0, 1e-9);
    EXPECT_NEAR(e.minY, 0.0, 1e-9);
    EXPECT_NEAR(e.maxY, 2.0, 1e-9);
    // The circle, now of radius 0.5 about (9, 1), is where a pick finds the reference.
    EXPECT_EQ(scene.Pick(9.5, 1.0, 0.05), turned);
    EXPECT_EQ(scene.Pick(9.2, 1.0, 0.05), cad::kNullId);
    EXPECT_EQ(scene.Pick(8.0, 1.5, 0.05), turned); // on the square's side
}

TEST_F(SceneOf, AMirroredReferenceDrawsItsCircleAsLinesInTheRightPlace) {
    cad::ObjectId mirrored = Reference(box, Point3d{0, 0, 0}, 0.0, Point3d{-1, 1, 1});
    scene.Build(db);
    // Four sides and the circle in short chords, all within x -1..0.
    EXPECT_GT(scene.SegmentCount(), 4u + 8u);
    EXPECT_NEAR(scene.Extents().minX, -1.0, 1e-9);
    EXPECT_NEAR(scene.Extents().maxX, 0.0, 1e-9);
    EXPECT_EQ(scene.Pick(-0.25, 0.5, 0.02), mirrored);
}

TEST_F(SceneOf, WindowsTakeWhatLiesWhollyInsideCrossingsWhatTheyTouch) {
    cad::ObjectId inside = Line(db.ModelSpaceId(), 1, 1, 2, 2);
    cad::ObjectId half = Line(db.ModelSpaceId(), 3, 1, 6, 1);
    cad::ObjectId through = Line(db.ModelSpaceId(), 4, -5, 4, 5); // both ends outside, passing through
    cad::ObjectId beside = Line(db.ModelSpaceId(), 10, 10, 11, 11);
    cad::ObjectId reference = Reference(box, Point3d{0, 3, 0}); // spans 0..1 by 3..4
    scene.Build(db);
    render::Box window = BoxOf(0, 0, 5, 5);
    EXPECT_EQ(scene.InBox(window, false), (std::vector<cad::ObjectId>{inside, reference}));
    EXPECT_EQ(scene.InBox(window, true), (std::vector<cad::ObjectId>{inside, half, through, reference}));
    EXPECT_EQ(scene.InBox(BoxOf(7, 7, 9, 9), true), std::vector<cad::ObjectId>{});
    (void)beside;
}

TEST_F(SceneOf, AMinsertRepeatsTheBlockAndAttributesShowAsTheirTexts) {
    auto reference = db.Make<cad::BlockReference>();
    reference->blockId = box;
    reference->columnCount = 3;
    reference->rowCount = 2;
    reference->columnSpacing = 5;
    reference->rowSpacing = 4;
    cad::ObjectId grid;
    ASSERT_EQ(db.AppendEntity(db.ModelSpaceId(), std::move(reference), &grid), cad::ErrorStatus::Ok);
    auto attribute = db.Make<cad::Attribute>();
    attribute->text = "12.50";
    attribute->position = Point3d{20, 20, 0};
    attribute->height = 1;
    cad::ObjectId added;
    ASSERT_EQ(db.AppendAttribute(grid, std::move(attribute), &added), cad::ErrorStatus::Ok);
    scene.Build(db);
    ASSERT_EQ(scene.GroupCount(), 1u);
    EXPECT_EQ(scene.SegmentCount(), 6u * 4u);
    EXPECT_NEAR(scene.Extents().maxX, 20 + 0.6 * 5, 1e-9); // the attribute's text reaches furthest
    EXPECT_NEAR(scene.Extents().maxY, 21, 1e-9);
    EXPECT_EQ(scene.Pick(11.0, 4.5, 0.01), grid); // the last copy's left side
}

TEST_F(SceneOf, APaintedFrameShowsLinesInInkAndSelectedOnesInTheHighlight) {
    cad::ObjectId plain = Line(db.ModelSpaceId(), 0, 0, 10, 0);
    cad::ObjectId chosen = Line(db.ModelSpaceId(), 0, 10, 10, 10);
    scene.Build(db);
    render::ViewTransform view;
    view.width = 200;
    view.height = 200;
    view.Fit(scene.Extents());
    // The world's x 5 maps to the middle; y 0 lies below y 10, as on paper.
    EXPECT_NEAR(view.ScreenX(5), 100, 1e-9);
    EXPECT_GT(view.ScreenY(0), view.ScreenY(10));
    EXPECT_NEAR(view.WorldX(view.ScreenX(3.25)), 3.25, 1e-9);
    ui::Image image(view.width, view.height);
    scene.Render(image, view, {chosen}, false);
    int x = static_cast<int>(view.ScreenX(1));
    EXPECT_EQ(image.Pixel(x, static_cast<int>(view.ScreenY(0))), (ui::Color{255, 255, 255})); // colour 7 on a dark view
    ui::Color background = image.Pixel(x, 5);
    EXPECT_EQ(background, (ui::Color{33, 40, 48}));
    // The highlight is dashed: some pixels along the line are lit, some are not.
    int lit = 0;
    int y = static_cast<int>(view.ScreenY(10));
    for (int px = static_cast<int>(view.ScreenX(0)); px < static_cast<int>(view.ScreenX(10)); ++px)
        lit += image.Pixel(px, y) == ui::Color{255, 217, 51} ? 1 : 0;
    EXPECT_GT(lit, 40);
    EXPECT_LT(lit, 120);
    (void)plain;
}

// A drawing of a quarter of a million entities seen whole is scaled from a picture of all of it made once: what has
// ink painted group by group has ink there too, and back; the highlighted lines are drawn over it; a view zoomed in
// beyond the picture is painted group by group, pixel for pixel; and a scene built again is pictured again.
TEST_F(SceneOf, ABigDrawingSeenWholeComesFromOnePictureOfIt) {
    // Short diagonal strokes in rows of 500, two units apart, one row in three left out.
    std::vector<cad::ObjectId> lines;
    for (int row = 0; row < 750; ++row)
        for (int column = 0; column < 500 && row % 3 != 2; ++column)
            lines.push_back(Line(db.ModelSpaceId(), column * 2.0, row * 2.0, column * 2.0 + 1, row * 2.0 + 1));
    ASSERT_GE(lines.size(), 250000u);
    scene.Build(db);
    render::ViewTransform view;
    view.width = 800;
    view.height = 600;
    view.Fit(scene.Extents());
    auto direct = [&](const render::ViewTransform& v, const std::vector<cad::ObjectId>& lit) {
        auto image = std::make_unique<ui::Image>(v.width, v.height);
        cairo_t* cr = cairo_create(image->Surface());
        scene.Paint(cr, image.get(), v, render::PaintStyle{}, lit);
        cairo_destroy(cr);
        return image;
    };
    auto rendered = [&](const render::ViewTransform& v, const std::vector<cad::ObjectId>& lit) {
        auto image = std::make_unique<ui::Image>(v.width, v.height);
        scene.Render(*image, v, lit, false);
        return image;
    };
    ui::Color background{33, 40, 48};
    // The share of one image's ink that the other has within a pixel.
    auto near = [&](const ui::Image& a, const ui::Image& b) {
        int ink = 0, met = 0;
        for (int y = 1; y + 1 < a.Height(); ++y)
            for (int x = 1; x + 1 < a.Width(); ++x) {
                if (a.Pixel(x, y) == background)
                    continue;
                ++ink;
                bool found = false;
                for (int dy = -1; dy <= 1 && !found; ++dy)
                    for (int dx = -1; dx <= 1 && !found; ++dx)
                        found = b.Pixel(x + dx, y + dy) != background;
                met += found ? 1 : 0;
            }
        return ink ? static_cast<double>(met) / ink : 0.0;
    };
    auto painted = direct(view, {});
    auto pictured = rendered(view, {});
    // Scaled from the picture, not painted again: not the same pixels, but nearly the same ink.
    bool same = true;
    for (int y = 0; y < view.height && same; ++y)
        for (int px = 0; px < view.width && same; ++px)
            same = painted->Pixel(px, y) == pictured->Pixel(px, y);
    EXPECT_FALSE(same);
    EXPECT_GT(near(*painted, *pictured), 0.98);
    EXPECT_GT(near(*pictured, *painted), 0.98);
    // The rows left out stay about as empty: the picture does not smear ink over the background.
    auto empty = [&](const ui::Image& image) {
        int count = 0;
        for (int y = 0; y < image.Height(); ++y)
            for (int px = 0; px < image.Width(); ++px)
                count += image.Pixel(px, y) == background ? 1 : 0;
        return count;
    };
    EXPECT_GT(empty(*pictured), empty(*painted) * 8 / 10);
    // A highlighted stroke in the highlight's colour.
    std::vector<cad::ObjectId> chosen{lines[1000]};
    auto lit = rendered(view, chosen);
    int highlighted = 0;
    for (int y = 0; y < lit->Height(); ++y)
        for (int px = 0; px < lit->Width(); ++px)
            highlighted += lit->Pixel(px, y) == ui::Color{255, 217, 51} ? 1 : 0;
    EXPECT_GE(highlighted, 1);
    // Zoomed in eight times: painted group by group, the same pixels either way.
    render::ViewTransform close = view;
    close.scale *= 8;
    auto a = direct(close, {}), b = rendered(close, {});
    for (int y = 0; y < close.height; y += 3)
        for (int px = 0; px < close.width; px += 3)
            ASSERT_EQ(a->Pixel(px, y), b->Pixel(px, y)) << px << "," << y;
    // Half the strokes gone: the picture follows the scene.
    for (std::size_t i = 0; i < lines.size() / 2; ++i)
        db.Peek(lines[i])->SetErased(true);
    scene.Build(db);
    EXPECT_GT(near(*direct(view, {}), *rendered(view, {})), 0.98);
    EXPECT_LT(near(*painted, *rendered(view, {})), 0.7);
}

// After a command the list is patched with what it added and erased, and built afresh for anything changed in
// place: a line moved, a layer's colour, a block's contents, an entity brought back.
TEST_F(SceneOf, ARefreshPatchesWhatWasAddedAndErasedAndRebuildsForTheRest) {
    cad::ObjectId first = Line(db.ModelSpaceId(), 0, 0, 10, 0);
    cad::ObjectId second = Line(db.ModelSpaceId(), 0, 5, 10, 5);
    Reference(box, Point3d{20, 0, 0});
    scene.Build(db);
    ASSERT_EQ(scene.GroupCount(), 3u);
    EXPECT_TRUE(scene.Refresh(db));
    EXPECT_EQ(scene.GroupCount(), 3u);
    // Added: drawn last, found by a pick and a window.
    cad::ObjectId third = Line(db.ModelSpaceId(), 0, 10, 10, 10);
    EXPECT_TRUE(scene.Refresh(db));
    EXPECT_EQ(scene.GroupCount(), 4u);
    EXPECT_EQ(scene.Pick(5, 10, 0.1), third);
    EXPECT_EQ(scene.InBox(BoxOf(-1, -1, 11, 11), false), (std::vector<cad::ObjectId>{first, second, third}));
    // Erased: neither picked nor in a window.
    db.SetErased(second, true);
    EXPECT_TRUE(scene.Refresh(db));
    EXPECT_EQ(scene.Pick(5, 5, 0.1), cad::kNullId);
    EXPECT_EQ(scene.InBox(BoxOf(-1, -1, 11, 11), false), (std::vector<cad::ObjectId>{first, third}));
    // Brought back: built again, in its place.
    db.SetErased(second, false);
    EXPECT_FALSE(scene.Refresh(db));
    EXPECT_EQ(scene.InBox(BoxOf(-1, -1, 11, 11), false), (std::vector<cad::ObjectId>{first, second, third}));
    // Moved in place.
    auto* line = db.PeekAs<cad::Line>(first);
    line->end = Point3d{10, 2, 0};
    line->Touch();
    EXPECT_FALSE(scene.Refresh(db));
    EXPECT_EQ(scene.Pick(10, 2, 0.1), first);
    // A layer turned off, and on again.
    cad::ObjectId zero = db.FindRecord(db.LayerTableId(), "0");
    const auto* layer = db.PeekAs<cad::LayerTableRecord>(zero);
    ASSERT_NE(layer, nullptr);
    int colour = layer->color;
    ASSERT_TRUE(db.ChangeLayer(zero, -colour, layer->flags));
    EXPECT_FALSE(scene.Refresh(db));
    EXPECT_EQ(scene.GroupCount(), 0u);
    ASSERT_TRUE(db.ChangeLayer(zero, colour, layer->flags));
    EXPECT_FALSE(scene.Refresh(db));
    EXPECT_EQ(scene.GroupCount(), 4u);
    // The block drawn by the reference gets another line: the reference draws it.
    Line(box, 1, 1.5, 2, 1.5);
    EXPECT_FALSE(scene.Refresh(db));
    EXPECT_NE(scene.Pick(20.5, 0.5, 0.1), cad::kNullId);
    // Another drawing: built for it.
    cad::Database other;
    EXPECT_FALSE(scene.Refresh(other));
    EXPECT_EQ(scene.GroupCount(), 0u);
}

// The curves drawn from a file's own numbers: a cubic NURBS with one span is a Bezier curve, weights pull it
// towards their points, and a curve given by fit points passes through each of them.
TEST(CurveGeometry, NurbsPointsAreTheCurvesOwn) {
    std::vector<std::pair<double, double>> control{{0, 0}, {1, 2}, {2, 2}, {3, 0}};
    std::vector<double> knots{0, 0, 0, 0, 1, 1, 1, 1};
    auto points = render::NurbsPoints(3, control, knots, {}, 2);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_NEAR(points[0].first, 0.0, 1e-12);
    EXPECT_NEAR(points[1].first, 1.5, 1e-12); // B(1/2) = (P0 + 3 P1 + 3 P2 + P3) / 8
    EXPECT_NEAR(points[1].second, 1.5, 1e-12);
    EXPECT_NEAR(points[2].first, 3.0, 1e-12);
    // A quarter circle as a rational quadratic: its middle point lies on the circle.
    auto arc = render::NurbsPoints(2, {{1, 0}, {1, 1}, {0, 1}}, {0, 0, 0, 1, 1, 1}, {1, std::sqrt(0.5), 1}, 4);
    for (const auto& [x, y] : arc)
        EXPECT_NEAR(std::hypot(x, y), 1.0, 1e-12);
    // Two spans of a clamped cubic: continuous, ends at the end points.
    auto spans = render::NurbsPoints(3, {{0, 0}, {1, 3}, {3, 3}, {4, 0}, {6, 1}}, {0, 0, 0, 0, 0.5, 1, 1, 1, 1}, {}, 8);
    ASSERT_EQ(spans.size(), 17u);
    EXPECT_NEAR(spans.back().first, 6.0, 1e-12);
    EXPECT_NEAR(spans.back().second, 1.0, 1e-12);
    // Numbers that make no curve: the control points as they are.
    EXPECT_EQ(render::NurbsPoints(3, control, {0, 1}, {}, 4), control);
    auto through = render::ThroughPoints({{0, 0}, {2, 1}, {4, 0}, {6, 2}}, 4);
    for (const auto& fit : std::vector<std::pair<double, double>>{{0, 0}, {2, 1}, {4, 0}, {6, 2}}) {
        bool passed = false;
        for (const auto& p : through)
            passed = passed || (std::abs(p.first - fit.first) < 1e-9 && std::abs(p.second - fit.second) < 1e-9);
        EXPECT_TRUE(passed) << fit.first;
    }
}

// Multiline text codes: paragraphs, heights absolute and relative, colours, fonts, underline, stacks, escapes;
// braces keep a format to their group.
TEST(MtextCodes, BecomeParagraphsOfFormattedRuns) {
    auto run = [](std::string text, double height = 1.0) {
        render::MtextRun r;
        r.text = std::move(text);
        r.height = height;
        r.face = "Sans";
        return r;
    };
    using Paragraphs = std::vector<render::MtextParagraph>;
    EXPECT_EQ(render::ParseMtext("First\\PSecond", 1.0, "Sans"), (Paragraphs{{run("First")}, {run("Second")}}));
    render::MtextRun big = run("Big", 2.5);
    big.colour = 0xFF0000;
    EXPECT_EQ(render::ParseMtext("{\\H2.5x;\\C1;Big} red\\Pa\\~b\\H3;c", 1.0, "Sans"),
              (Paragraphs{{big, run(" red")}, {run("a b"), run("c", 3.0)}}));
    render::MtextRun stack = run("1");
    stack.stacked = true;
    stack.under = "2";
    stack.stackKind = '^';
    render::MtextRun under = run("under");
    under.underline = true;
    EXPECT_EQ(render::ParseMtext("1\\S1^2; in \\{x\\} \\Lunder\\l", 1.0, "Sans"),
              (Paragraphs{{run("1"), stack, run(" in {x} "), under}}));
    render::MtextRun serif = run("T");
    serif.face = "Liberation Serif";
    render::MtextRun shx = run("S");
    shx.face = "DejaVu Sans";
    EXPECT_EQ(render::ParseMtext("{\\fLiberation Serif|b0|i0;T}{\\Fromans.shx;S}\\A1;\\W0.8;x", 1.0, "Sans"),
              (Paragraphs{{serif, shx, run("x")}}));
    EXPECT_EQ(render::ParseMtext("\\U+0414x", 1.0, "Sans"), (Paragraphs{{run("\\U+0414x")}}));
    EXPECT_EQ(render::WithSpecialCharacters("%%c50 %%p0.5 90%%d 100%%% %%uU"), "\xD8" "50 \xB1" "0.5 90\xB0 100% U");
}

// Dashes lie where the pattern puts them, from the line's start; a path goes on with the pattern where its last
// line left it; a dot is a dash of no length; a pattern too fine to show draws the line whole.
TEST(Linetypes, DashesFollowThePatternAndCarryItsPhaseAlongAPath) {
    std::vector<std::array<double, 4>> dashes;
    auto keep = [&](double a, double b, double c, double d) { dashes.push_back({a, b, c, d}); };
    const std::vector<double> dashDot{2.0, -1.0, 0.0, -1.0}; // length 4
    double phase = 0.0;
    render::DashLine(dashDot, 4.0, phase, 0, 0, 9, 0, keep);
    const std::vector<std::array<double, 4>> first{{0, 0, 2, 0}, {3, 0, 3, 0}, {4, 0, 6, 0}, {7, 0, 7, 0}, {8, 0, 9, 0}};
    EXPECT_EQ(dashes, first);
    EXPECT_DOUBLE_EQ(phase, 1.0);
    // The next line of the path, going up, starts one unit into a dash.
    dashes.clear();
    render::DashLine(dashDot, 4.0, phase, 9, 0, 9, 4, keep);
    const std::vector<std::array<double, 4>> second{{9, 0, 9, 1}, {9, 2, 9, 2}, {9, 3, 9, 4}};
    EXPECT_EQ(dashes, second);
    EXPECT_DOUBLE_EQ(phase, 1.0);
    // Starting exactly on the dot draws it once.
    dashes.clear();
    phase = 3.0;
    render::DashLine(dashDot, 4.0, phase, 0, 0, 0.5, 0, keep);
    EXPECT_EQ(dashes, (std::vector<std::array<double, 4>>{{0, 0, 0, 0}}));
    dashes.clear();
    phase = 0.0;
    render::DashLine(dashDot, 4.0, phase, 0, 0, 1e6, 0, keep, 1000);
    EXPECT_EQ(dashes, (std::vector<std::array<double, 4>>{{0, 0, 1e6, 0}}));
}

// Pattern lines are cut to the boundary by the even-odd rule: an island is left out and an island within it
// hatched again; dashes are laid from the family's base point, so neighbouring areas line up.
TEST(Hatching, PatternLinesStopAtIslandsAndKeepTheirDashesInStep) {
    const render::Points outer{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const render::Points island{{3, 3}, {7, 3}, {7, 7}, {3, 7}};
    const render::Points inner{{4, 4}, {6, 4}, {6, 6}, {4, 6}};
    render::PatternLine horizontal;
    horizontal.offsetY = 2.0;
    horizontal.baseY = 1.0;
    bool complete = false;
    auto strokes = render::PatternStrokes({horizontal}, {outer, island, inner}, 1000, complete);
    EXPECT_TRUE(complete);
    // y 3 and 7 run along the island's edges: crossings are half-open, so the lower edge counts as the island's
    // and the upper one does not.
    std::vector<render::Stroke> expected{{0, 1, 10, 1}, {0, 3, 3, 3}, {7, 3, 10, 3}, {0, 5, 3, 5}, {4, 5, 6, 5},
                                         {7, 5, 10, 5}, {0, 7, 10, 7}, {0, 9, 10, 9}};
    std::sort(strokes.begin(), strokes.end(), [](const auto& a, const auto& b) { return a[1] != b[1] ? a[1] < b[1] : a[0] < b[0]; });
    EXPECT_EQ(strokes, expected);
    // Dashed at 45 degrees through the base (0, 0): the dash at the origin starts there.
    render::PatternLine diagonal;
    diagonal.angle = 3.14159265358979323846 / 4;
    diagonal.offsetX = -1.0;
    diagonal.offsetY = 1.0;
    diagonal.dashes = {1.0, -1.0};
    strokes = render::PatternStrokes({diagonal}, {outer}, 1000, complete);
    ASSERT_FALSE(strokes.empty());
    bool fromOrigin = std::any_of(strokes.begin(), strokes.end(), [](const render::Stroke& s) {
        return std::abs(s[0]) < 1e-9 && std::abs(s[1]) < 1e-9 && std::abs(s[2] - std::sqrt(0.5)) < 1e-9;
    });
    EXPECT_TRUE(fromOrigin);
    // Too many strokes: as many as allowed, and said; too many lines: none.
    strokes = render::PatternStrokes({horizontal}, {outer, island, inner}, 6, complete);
    EXPECT_EQ(strokes.size(), 6u);
    EXPECT_FALSE(complete);
    strokes = render::PatternStrokes({horizontal}, {outer}, 4, complete);
    EXPECT_TRUE(strokes.empty());
    EXPECT_FALSE(complete);
}

// The drawing's extents (what a plot and ZOOM Extents show) leave out XLINE and RAY, which are drawn across any view
// all the same; a drawing of nothing else has theirs.
TEST(SceneOfAFile, ConstructionLinesAreDrawnButLeaveTheExtentsAlone) {
    std::filesystem::path path = std::filesystem::temp_directory_path() / "vantorel-scene-xlines.dxf";
    auto read = [&](const std::string& python) {
        EXPECT_EQ(std::system(("/usr/bin/python3 -c \"import ezdxf; d = ezdxf.new('R2018'); m = d.modelspace(); " +
                               python + "; d.saveas('" + path.string() + "')\"").c_str()),
                  0);
        std::unique_ptr<cad::Database> db;
        EXPECT_TRUE(cad::ReadDxfFile(path.string(), cad::CodePage::Default(), db).Ok());
        std::filesystem::remove(path);
        return db;
    };
    auto db = read("m.add_circle((5, 5), 1); m.add_xline((0, 0), (1, 1)); m.add_ray((0, 0), (1, 0))");
    render::Scene scene;
    scene.Build(*db);
    EXPECT_NEAR(scene.Extents().minX, 4.0, 1e-9);
    EXPECT_NEAR(scene.Extents().maxX, 6.0, 1e-9);
    EXPECT_NEAR(scene.Extents().maxY, 6.0, 1e-9);
    // Drawn through a view of the circle, and through one far from the drawing.
    EXPECT_NE(scene.Pick(5.5, 5.5, 0.01), cad::kNullId);
    EXPECT_NE(scene.Pick(5000, 5000, 0.01), cad::kNullId);
    EXPECT_EQ(scene.InBox(render::Box{4990, 4990, 5010, 5010}, true).size(), 1u);
    db = read("m.add_xline((0, 0), (1, 1))");
    scene.Build(*db);
    EXPECT_FALSE(scene.Extents().Empty());
}

// A viewport's twist turns model space about its view: a line along x runs up the sheet through a viewport turned
// a quarter, cut at the frame.
TEST(SceneOfALayout, ATwistedViewportTurnsModelSpace) {
    std::filesystem::path path = std::filesystem::temp_directory_path() / "vantorel-scene-twisted.dxf";
    ASSERT_EQ(std::system(("/usr/bin/python3 " + std::string(PLOT_COMPARE) + " twisted " + path.string()).c_str()), 0);
    std::unique_ptr<cad::Database> db;
    ASSERT_TRUE(cad::ReadDxfFile(path.string(), cad::CodePage::Default(), db).Ok());
    std::filesystem::remove(path);
    std::vector<render::LayoutEntry> layouts = render::Layouts(*db);
    auto twisted = std::find_if(layouts.begin(), layouts.end(), [](const auto& l) { return l.name == "Twisted"; });
    ASSERT_NE(twisted, layouts.end());
    render::Scene scene;
    scene.Build(*db, false, twisted->block);
    // What model space shows in a viewport is picked as the viewport.
    const auto* sheet = db->PeekAs<cad::BlockTableRecord>(twisted->block);
    ASSERT_NE(sheet, nullptr);
    cad::ObjectId viewport = sheet->entities.back();
    EXPECT_EQ(scene.Pick(100, 75, 0.01), viewport);
    EXPECT_EQ(scene.Pick(100, 145, 0.01), viewport);
    // Not below its start, nor where the untwisted view would show it, nor past the frame.
    EXPECT_EQ(scene.Pick(100, 65, 0.01), cad::kNullId);
    EXPECT_EQ(scene.Pick(120, 70, 0.01), cad::kNullId);
    EXPECT_EQ(scene.Pick(100, 160, 0.01), cad::kNullId);
}

} // namespace
