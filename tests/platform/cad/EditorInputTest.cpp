#include "platform/cad/Host.h"
#include "platform/cad/arx/adslib.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class EditorInput : public ::testing::Test {
protected:
    void SetUp() override {
        Editor().Script().Clear();
        Editor().ClearCommandLine();
        Editor().ClearAlerts();
        Editor().Redraw();
    }
    void TearDown() override { Editor().Script().Clear(); }
    static cad::Editor& Editor() { return cad::Host::Instance().GetEditor(); }
};

TEST_F(EditorInput, DrawingTheSameXorVectorTwiceRemovesIt) {
    ads_point a = {0, 0, 0};
    ads_point b = {4, 0, 0};
    ads_point c = {4, 3, 0};
    EXPECT_EQ(acedGrDraw(a, b, -1, 1), RTNORM);
    EXPECT_EQ(acedGrDraw(b, c, -1, 1), RTNORM);
    ASSERT_EQ(Editor().Screen().size(), 2u);
    EXPECT_EQ(acedGrDraw(b, a, -1, 1), RTNORM); // the same segment, drawn the other way
    ASSERT_EQ(Editor().Screen().size(), 1u);
    EXPECT_EQ(Editor().Screen()[0], (cad::ScreenVector{{4, 0, 0}, {4, 3, 0}, -1, 1}));
    // Ordinary ink adds, whatever is on screen.
    EXPECT_EQ(acedGrDraw(b, c, 7, 0), RTNORM);
    EXPECT_EQ(acedGrDraw(b, c, 7, 0), RTNORM);
    EXPECT_EQ(Editor().Screen().size(), 3u);
}

TEST_F(EditorInput, AnEmptyQueueIsAnErrorNotAWait) {
    ads_point point = {0, 0, 0};
    EXPECT_EQ(acedGetPoint(nullptr, "\nUpper left corner of table: ", point), RTERROR);
    ASSERT_EQ(Editor().InputErrors().empty(), false);
    EXPECT_EQ(Editor().InputErrors().back(),
              "scripted input: expected a point (prompt \"\nUpper left corner of table: \"), but no answer is left");
}

TEST_F(EditorInput, AnAnswerOfTheWrongKindIsAnErrorAndStaysQueued) {
    Editor().Script().Push(cad::FileAnswer{"/tmp/a.prc"});
    int type = 0;
    resbuf result{};
    EXPECT_EQ(acedGrRead(9, &type, &result), RTERROR);
    EXPECT_EQ(Editor().InputErrors().back(), "scripted input: expected an input event, but the next answer is a file name");
    EXPECT_EQ(Editor().Script().Pending(), 1u);
    resbuf file{};
    ASSERT_EQ(acedGetFileD("Open", "", "prc", 2, &file), RTNORM);
    ASSERT_EQ(file.restype, RTSTR);
    EXPECT_STREQ(file.resval.rstring, "/tmp/a.prc");
    acad_free(file.resval.rstring);
}

TEST_F(EditorInput, CancelledFileDialogAnswersCancel) {
    Editor().Script().Push(cad::CancelAnswer{});
    resbuf file{};
    EXPECT_EQ(acedGetFileD("Save as", "Plan1.txt", "txt", 1, &file), RTCAN);
}

TEST_F(EditorInput, InitGetOneRefusesAnEmptyPointAndAsksAgain) {
    Editor().Script().Push(cad::EmptyAnswer{});
    Editor().Script().Push(cad::PointAnswer{{3, 4, 0}});
    ASSERT_EQ(acedInitGet(1, nullptr), RTNORM);
    ads_point point = {0, 0, 0};
    ASSERT_EQ(acedGetPoint(nullptr, "\nCorner: ", point), RTNORM);
    EXPECT_EQ(point[0], 3.0);
    EXPECT_EQ(point[1], 4.0);
    EXPECT_EQ(Editor().CommandLine(), "\nCorner: \nPoint or option keyword required.\nCorner: ");
    // Without initget the empty answer comes back as none.
    Editor().Script().Push(cad::EmptyAnswer{});
    EXPECT_EQ(acedGetPoint(nullptr, "\nCorner: ", point), RTNONE);
}

TEST_F(EditorInput, GrReadGivesKeysAndPoints) {
    Editor().Script().Push(cad::InputEvent{cad::EventType::Motion, {1, 2, 0}, 0});
    Editor().Script().Push(cad::InputEvent{cad::EventType::Key, {}, 13});
    Editor().Script().Push(cad::CancelAnswer{});
    int type = 0;
    resbuf result{};
    ASSERT_EQ(acedGrRead(9, &type, &result), RTNORM);
    EXPECT_EQ(type, 5);
    EXPECT_EQ(result.restype, RT3DPOINT);
    EXPECT_EQ(result.resval.rpoint[1], 2.0);
    ASSERT_EQ(acedGrRead(9, &type, &result), RTNORM);
    EXPECT_EQ(type, 2);
    EXPECT_EQ(result.resval.rint, 13);
    EXPECT_EQ(acedGrRead(9, &type, &result), RTCAN);
}

TEST_F(EditorInput, SystemVariablesKeepTheirTypes) {
    resbuf saved{};
    ASSERT_EQ(acedGetVar("OSMODE", &saved), RTNORM);
    ASSERT_EQ(saved.restype, RTSHORT);
    resbuf zero = saved;
    zero.resval.rint = 0;
    EXPECT_EQ(acedSetVar("osmode", &zero), RTNORM);
    resbuf now{};
    ASSERT_EQ(acedGetVar("OSMODE", &now), RTNORM);
    EXPECT_EQ(now.resval.rint, 0);
    EXPECT_EQ(acedSetVar("OSMODE", &saved), RTNORM);

    resbuf real{nullptr, RTREAL, {}};
    real.resval.rreal = 1.0;
    EXPECT_EQ(acedSetVar("ATTREQ", &real), RTREJ);
    EXPECT_EQ(acedSetVar("NOSUCHVAR", &real), RTERROR);

    resbuf name{};
    ASSERT_EQ(acedGetVar("DWGNAME", &name), RTNORM);
    ASSERT_EQ(name.restype, RTSTR);
    EXPECT_STREQ(name.resval.rstring, cad::Host::Instance().Documents().Current().FileName().c_str());
    resbuf other{nullptr, RTSTR, {}};
    other.resval.rstring = const_cast<char*>("x.dwg");
    EXPECT_EQ(acedSetVar("DWGNAME", &other), RTREJ);
    acad_free(name.resval.rstring);
}

TEST_F(EditorInput, PrintfAndAlertAreRecorded) {
    acutPrintf("%s %.2f|", "Total", 12.5);
    acedAlert("\nCannot open the object INSERT");
    EXPECT_EQ(Editor().CommandLine(), "Total 12.50|");
    ASSERT_EQ(Editor().Alerts().size(), 1u);
    EXPECT_EQ(Editor().Alerts()[0], "\nCannot open the object INSERT");
}

TEST_F(EditorInput, ALiveEditorIsShownEachAlertAsItComes) {
    std::vector<std::string> shown;
    Editor().SetAlertShower([&](const std::string& message) {
        shown.push_back(message);
        EXPECT_EQ(Editor().Alerts().size(), shown.size()); // kept before it is shown
    });
    acedAlert("File x could  not be opened");
    acedAlert("Too large number for name of table price");
    Editor().SetAlertShower(nullptr);
    acedAlert("not shown");
    EXPECT_EQ(shown, (std::vector<std::string>{"File x could  not be opened", "Too large number for name of table price"}));
    EXPECT_EQ(Editor().Alerts().size(), 3u);
}

TEST(FilePrompts, CarryTitleDefaultExtensionAndFlagsBothWays) {
    cad::FilePrompt prompt{"Save as", "/work/a [1]/doors-Plan1.txt", "txt", 1};
    std::string text = cad::FormatFilePrompt(prompt);
    EXPECT_EQ(text, "Save as [/work/a [1]/doors-Plan1.txt] *.txt flags 1");
    cad::FilePrompt back;
    ASSERT_TRUE(cad::ParseFilePrompt(text, back));
    EXPECT_EQ(back.title, "Save as");
    EXPECT_EQ(back.defaultName, "/work/a [1]/doors-Plan1.txt");
    EXPECT_EQ(back.extension, "txt");
    EXPECT_EQ(back.flags, 1);
    ASSERT_TRUE(cad::ParseFilePrompt("New [] *.prc flags 1", back));
    EXPECT_EQ(back.defaultName, "");
    EXPECT_FALSE(cad::ParseFilePrompt("Select objects: ", back));
}

TEST(CommandStackLookup, FindsLocalAndGlobalNamesWithoutCaseAndNewestFirst) {
    cad::CommandStack stack;
    auto body = [] {};
    ASSERT_EQ(stack.AddCommand({"G1", "Old_Global", "KXBOMT", 0, body}), cad::ErrorStatus::Ok);
    EXPECT_EQ(stack.AddCommand({"G1", "Other_Global", "kxbomt", 0, body}), cad::ErrorStatus::DuplicateKey);
    ASSERT_EQ(stack.AddCommand({"G2", "New_Global", "KXBOMT", 1, body}), cad::ErrorStatus::Ok);
    ASSERT_NE(stack.Lookup("kxbomt"), nullptr);
    EXPECT_EQ(stack.Lookup("kxbomt")->group, "G2");
    ASSERT_NE(stack.Lookup("_old_global"), nullptr);
    EXPECT_EQ(stack.Lookup("._OLD_GLOBAL")->group, "G1");
    EXPECT_EQ(stack.Lookup("old_global"), nullptr);
    EXPECT_EQ(stack.RemoveGroup("g2"), cad::ErrorStatus::Ok);
    EXPECT_EQ(stack.Lookup("KXBOMT")->group, "G1");
    EXPECT_EQ(stack.RemoveGroup("G2"), cad::ErrorStatus::KeyNotFound);
}

} // namespace
