// BOMFIND in the live editor: the references behind a row of the report highlighted and zoomed to, on counting
// switches set as the user sets them, on the drawing of attributed and nested references.
#include "LiveTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using livetest::LiveView;
using livetest::Turns;
using ui::WindowSystem;

class FindReferences : public LiveView {
protected:
    void Find(const std::string& name) {
        Turns typing({[&] { app.Submit(name); }});
        app.Submit("BOMFIND");
        WindowSystem::Instance().RunPending();
    }
    void Set(const std::string& variable, const cad::VariableValue& value) {
        ASSERT_EQ(cad::Host::Instance().GetEditor().SetVariable(variable, value), cad::RtNorm);
    }
    // The references placed in the layout, by handle.
    std::vector<cad::ObjectId> Placed(std::initializer_list<std::uint64_t> handles) {
        std::vector<cad::ObjectId> placed;
        const cad::Database& db = cad::Host::Instance().WorkingDatabase();
        const auto* model = db.PeekAs<cad::BlockTableRecord>(db.ModelSpaceId());
        for (std::uint64_t handle : handles) {
            for (cad::ObjectId id : model->entities)
                if (db.Peek(id)->Handle() == handle)
                    placed.push_back(id);
        }
        std::sort(placed.begin(), placed.end());
        return placed;
    }
    void TearDown() override {
        Set("BOMNESTED", std::int16_t{0});
        Set("BOMMINSERT", std::int16_t{0});
        Set("BOMATTRS", std::string());
        LiveView::TearDown();
    }
};

TEST_F(FindReferences, ANameIsHighlightedZoomedToAndCountedAsTheReportCountsIt) {
    OpenMade("attributed", "vantorel-live-find.dxf");
    std::size_t start = app.main.commandLine.ShownHistory().size();
    // Placed references only: the two desks of model space, one with attributes and one without.
    Find("DESK");
    EXPECT_EQ(app.input.Preselected(), Placed({0x50, 0x54}));
    // The view holds the two desks (at x 30 and 40, two wide) and not the rooms to their left.
    const gui::ViewTransform& view = app.main.view.View();
    double left = view.centreX - view.width / 2.0 / view.scale;
    double right = view.centreX + view.width / 2.0 / view.scale;
    EXPECT_GT(left, 20.0);
    EXPECT_LT(left, 30.0);
    EXPECT_GT(right, 42.0);
    EXPECT_LT(right, 60.0);
    app.Escape();
    EXPECT_TRUE(app.input.Preselected().empty());

    // Nested and gridded references counted: the rooms hold the chairs, the MINSERT adds six.
    Set("BOMNESTED", std::int16_t{1});
    Set("BOMMINSERT", std::int16_t{1});
    Find("chair");
    EXPECT_EQ(app.input.Preselected(), Placed({0x4A, 0x4C, 0x4E, 0x56}));
    // With attributes a row's own name finds its references alone; the block's name finds every row of it.
    Set("BOMATTRS", std::string("material"));
    Find("Chair (BLUE)");
    EXPECT_EQ(app.input.Preselected(), Placed({0x4A, 0x4C, 0x4E}));
    Find("");
    Find("lamp");
    std::string history;
    const auto& shown = app.main.commandLine.ShownHistory();
    for (std::size_t i = start; i < shown.size(); ++i)
        history += shown[i] + "\n";
    EXPECT_EQ(history,
              "Command: BOMFIND\nName to find as the report counts it (Enter lists them): DESK\n"
              "2 references counted as DESK, highlighted; Escape clears.\nCommand: *Cancel*\n"
              "Command: BOMFIND\nName to find as the report counts it (Enter lists them): chair\n"
              "12 references counted as chair in 4 placed references, highlighted; Escape clears.\n"
              "Command: BOMFIND\nName to find as the report counts it (Enter lists them): Chair (BLUE)\n"
              "3 references counted as Chair (BLUE), highlighted; Escape clears.\n"
              "Command: BOMFIND\nCounted here: chair (blue) 3, chair (red) 9, desk 1, desk (oak) 4, room 3\n"
              "Command: BOMFIND\nName to find as the report counts it (Enter lists them): lamp\n"
              "No reference in this layout is counted as \"lamp\": BOMFIND and Enter lists the names counted here.\n");
}

} // namespace
