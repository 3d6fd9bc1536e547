#pragma once

// A grid in a dialog of its own, with the callbacks that matter for order written down.
#include "grid/GridControl.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/WindowSystem.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace gridtest {

using vantorel::GridCell;
using vantorel::GridControl;
using ui::Point;
using ui::Rect;
using ui::WindowSystem;

constexpr int kPlaceholder = 100;

// A grid that writes down the callbacks that matter for order.
class RecordingGrid : public GridControl {
public:
    std::vector<std::string> log;
    bool allowMove = true;
    bool acceptEdit = true;
    bool longTips = false;
    bool OnCellTip(int col, long row, int section, std::string* text) override {
        if (!longTips)
            return GridControl::OnCellTip(col, row, section, text);
        *text = std::string(100, 'x');
        return true;
    }
    void OnActiveColumnChanged(int o, int n) override { log.push_back("col " + std::to_string(o) + ">" + std::to_string(n)); }
    void OnActiveRowChanged(long o, long n) override { log.push_back("row " + std::to_string(o) + ">" + std::to_string(n)); }
    void OnActiveCellChanged(int, int, long, long) override { log.push_back("cell"); }
    bool OnAllowMove(int, long, int, long) override { return allowMove; }
    void OnFirstRowChanged(long o, long n) override { log.push_back("first " + std::to_string(o) + ">" + std::to_string(n)); }
    void OnColumnHeaderLeftClick(int col, long row, int down, Rect*, Point*, bool) override {
        log.push_back("header " + std::to_string(col) + "," + std::to_string(row) + " down " + std::to_string(down));
    }
    void OnCellLeftClick(int col, long row, int down, Rect*, Point*, bool) override {
        log.push_back("click " + std::to_string(col) + "," + std::to_string(row) + " down " + std::to_string(down));
    }
    bool OnEditEnd(int col, long row, ui::Window*, const char* text, bool cancelled) override {
        log.push_back("end " + std::to_string(col) + "," + std::to_string(row) + " " + text + (cancelled ? " cancelled" : ""));
        return acceptEdit;
    }
};

// A dialog of 220 by 130 units holding the grid's placeholder (200 by 100) and an OK button.
inline std::unique_ptr<ui::Dialog> MakeGridDialog() {
    ui::DialogTemplate t;
    t.id = 200;
    t.title = "Grid";
    t.units = Rect::FromSize(0, 0, 220, 130);
    t.controls = {
        ui::ControlTemplate{ui::ControlKind::Static, kPlaceholder, "", Rect::FromSize(0, 0, 200, 100), ui::StyleVisible},
        ui::ControlTemplate{ui::ControlKind::Button, 1, "OK", Rect::FromSize(160, 110, 50, 14),
                            ui::StyleVisible | ui::StyleTabStop},
    };
    auto dialog = std::make_unique<ui::Dialog>(t);
    if (!dialog->CreateFromTemplate(nullptr, Point{0, 0}))
        return nullptr;
    return dialog;
}

// A bound grid of the type given, in its own dialog.
template <class Grid>
class GridFixture : public ::testing::Test {
protected:
    void SetUp() override {
        WindowSystem::Instance().Reset();
        dialog = MakeGridDialog();
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(grid.BindToDialogControl(dialog.get(), kPlaceholder));
    }
    void TearDown() override {
        grid.Destroy();
        dialog->Destroy();
    }
    // A grid of `rows` rows of three columns, 60 pixels wide, no row header.
    void Fill(long rows) {
        grid.SetColumnCount(3, false);
        for (int c = 0; c < 3; ++c)
            grid.SetColumnWidth(c, 60);
        grid.SetRowHeaderWidth(0);
        for (long r = 0; r < rows; ++r) {
            grid.AddRow();
            for (int c = 0; c < 3; ++c)
                grid.SetCellText(c, r, "r" + std::to_string(r) + "c" + std::to_string(c));
        }
        grid.log.clear();
    }
    Point CellPoint(int col, long row) {
        Rect rect;
        EXPECT_TRUE(grid.CellRect(col, row, &rect));
        return grid.CellArea().ClientToScreen(Point{rect.left + 5, rect.top + 5});
    }
    WindowSystem& system = WindowSystem::Instance();
    std::unique_ptr<ui::Dialog> dialog;
    Grid grid;
};

class GridTest : public GridFixture<RecordingGrid> {};

} // namespace gridtest
