#include "platform/cad/Host.h"
#include "platform/cad/arx/acdocman.h"
#include "platform/cad/arx/adslib.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Records what the document manager tells a module's reactor.
class RecordingReactor : public AcApDocManagerReactor {
public:
    void documentToBeDestroyed(AcApDocument* document) override {
        heard.push_back(document);
        names.emplace_back(document->fileName());
    }
    std::vector<AcApDocument*> heard;
    std::vector<std::string> names;
};

TEST(DocumentManager, ReactorsHearOfADocumentBeforeItGoesAndWithTheSameHandle) {
    cad::DocumentManager& documents = cad::Host::Instance().Documents();
    RecordingReactor reactor;
    acDocManagerPtr()->addReactor(&reactor);
    cad::Document& plan = documents.NewDocument("Plan3.dwg");
    AcApDocument* handle = acDocManagerPtr()->curDocument();
    EXPECT_STREQ(handle->fileName(), "Plan3.dwg");
    EXPECT_EQ(handle->database(), AcDbDatabase::of(plan.GetDatabase()));
    documents.CloseDocument(&plan);
    acDocManagerPtr()->removeReactor(&reactor);
    ASSERT_EQ(reactor.heard.size(), 1u);
    EXPECT_EQ(reactor.heard[0], handle);
    EXPECT_EQ(reactor.names[0], "Plan3.dwg");
    EXPECT_NE(&documents.Current(), &plan);
}

TEST(DocumentManager, ClosingTheLastDocumentLeavesAFreshOne) {
    cad::DocumentManager documents;
    ASSERT_EQ(documents.DocumentCount(), 1u);
    documents.CloseDocument(&documents.Current());
    EXPECT_EQ(documents.DocumentCount(), 1u);
    EXPECT_EQ(documents.Current().FileName(), "Drawing2.dwg");
}

TEST(DocumentManager, ResourceStackPopsOnlyWhatWasPushed) {
    cad::DocumentManager documents;
    int a = 0;
    int b = 0;
    documents.PushResourceHandle(&a);
    documents.PushResourceHandle(&b);
    EXPECT_EQ(documents.CurrentResourceHandle(), &b);
    EXPECT_TRUE(documents.PopResourceHandle());
    EXPECT_EQ(documents.CurrentResourceHandle(), &a);
    EXPECT_TRUE(documents.PopResourceHandle());
    EXPECT_FALSE(documents.PopResourceHandle());
    EXPECT_EQ(documents.ResourceStackDepth(), 0u);
}

TEST(DocumentManager, DrawingNameFollowsTheCurrentDocument) {
    cad::DocumentManager& documents = cad::Host::Instance().Documents();
    cad::Document& plan = documents.NewDocument("x.dwg");
    plan.SetPath("/srv/jobs/Plan1.dxf");
    resbuf name{};
    resbuf prefix{};
    ASSERT_EQ(acedGetVar("DWGNAME", &name), RTNORM);
    ASSERT_EQ(acedGetVar("DWGPREFIX", &prefix), RTNORM);
    EXPECT_STREQ(name.resval.rstring, "Plan1.dxf");
    EXPECT_STREQ(prefix.resval.rstring, "/srv/jobs/");
    acad_free(name.resval.rstring);
    acad_free(prefix.resval.rstring);
    documents.CloseDocument(&plan);
}

void Throwing() {
    throw std::runtime_error("dialog resource missing");
}
int s_calls = 0;
void Counting() {
    ++s_calls;
}

TEST(RunningCommands, AnExceptionEndsOnlyThatCommand) {
    cad::Host& host = cad::Host::Instance();
    ASSERT_EQ(host.Commands().AddCommand({"TestGroup", "Boom_Global", "BOOM", 0, &Throwing}), cad::ErrorStatus::Ok);
    ASSERT_EQ(host.Commands().AddCommand({"TestGroup", "Count_Global", "COUNT", 0, &Counting}), cad::ErrorStatus::Ok);
    host.GetEditor().ClearCommandLine();
    EXPECT_EQ(host.RunCommand("boom"), cad::RtError);
    EXPECT_EQ(host.GetEditor().CommandLine(), "\nBOOM ended by an error: dialog resource missing\n");
    EXPECT_EQ(host.RunCommand("COUNT"), cad::RtNorm);
    EXPECT_EQ(s_calls, 1);
    EXPECT_EQ(host.Commands().RemoveGroup("TestGroup"), cad::ErrorStatus::Ok);
}

void Marking() {
    cad::Host::Instance().GetEditor().DrawVector(cad::ScreenVector{{0, 0, 0}, {1, 1, 0}, -1, 0});
}
cad::ObjectId s_added = cad::kNullId;
void AddingALine() {
    cad::Database& db = cad::Host::Instance().WorkingDatabase();
    auto line = db.Make<cad::Line>();
    [[maybe_unused]] cad::ErrorStatus added = db.AppendEntity(db.ModelSpaceId(), std::move(line), &s_added);
    throw std::runtime_error("failed after the line"); // an error does not lose the step
}

TEST(RunningCommands, TheViewIsRedrawnWhenACommandEndsAndOnRedraw) {
    cad::Host& host = cad::Host::Instance();
    ASSERT_EQ(host.Commands().AddCommand({"TestGroup", "Mark_Global", "MARK", 0, &Marking}), cad::ErrorStatus::Ok);
    EXPECT_EQ(host.RunCommand("MARK"), cad::RtNorm);
    EXPECT_TRUE(host.GetEditor().Screen().empty());
    Marking();
    EXPECT_EQ(host.GetEditor().Screen().size(), 1u);
    EXPECT_EQ(host.RunCommand("redraw"), cad::RtNorm);
    EXPECT_TRUE(host.GetEditor().Screen().empty());
    EXPECT_EQ(host.Commands().RemoveGroup("TestGroup"), cad::ErrorStatus::Ok);
}

TEST(RunningCommands, WhatACommandAddsIsOneStepOfUndo) {
    cad::Host& host = cad::Host::Instance();
    cad::Database& db = host.WorkingDatabase();
    ASSERT_EQ(host.Commands().AddCommand({"TestGroup", "Line_Global", "LINE1", 0, &AddingALine}), cad::ErrorStatus::Ok);
    std::size_t steps = db.UndoStepCount();
    std::uint64_t before = db.UndoState();
    EXPECT_EQ(host.RunCommand("LINE1"), cad::RtError);
    ASSERT_NE(db.Peek(s_added), nullptr);
    EXPECT_EQ(db.UndoStepCount(), steps + 1);
    host.GetEditor().ClearCommandLine();
    EXPECT_EQ(host.RunCommand("U"), cad::RtNorm);
    EXPECT_EQ(host.GetEditor().CommandLine(), "LINE1\n");
    EXPECT_TRUE(db.Peek(s_added)->IsErased());
    EXPECT_EQ(db.UndoState(), before);
    EXPECT_EQ(host.RunCommand("REDO"), cad::RtNorm);
    EXPECT_FALSE(db.Peek(s_added)->IsErased());
    // ERASE takes what the user selects, as one step of its own.
    host.GetEditor().Script().Push(cad::SelectionAnswer{false, {s_added}});
    EXPECT_EQ(host.RunCommand("ERASE"), cad::RtNorm);
    EXPECT_TRUE(db.Peek(s_added)->IsErased());
    EXPECT_TRUE(db.Undo());
    EXPECT_FALSE(db.Peek(s_added)->IsErased());
    EXPECT_TRUE(db.Undo());
    EXPECT_TRUE(db.Peek(s_added)->IsErased());
    EXPECT_EQ(host.Commands().RemoveGroup("TestGroup"), cad::ErrorStatus::Ok);
}

TEST(RunningCommands, CommandArgumentsOfAnUnknownTypeAreRejected) {
    EXPECT_EQ(acedCommand(RTSTR, ".INSERT", RTENAME, 0, 0), RTREJ);
    cad::Host::Instance().GetEditor().ClearCommandLine();
    EXPECT_EQ(acedCommand(RTSTR, ".ERASE", 0), RTERROR);
    EXPECT_EQ(cad::Host::Instance().GetEditor().CommandLine(), "Unknown command \".ERASE\".  Press F1 for help.\n");
}

TEST(ResultBuffers, BuildListTakesValuesByTypeAndReleaseFreesTheStrings) {
    ads_point corner = {1, 2, 3};
    resbuf* list = acutBuildList(RTDXF0, "INSERT", 2, "DOOR", 10, corner, 40, 2.5, 62, 3, RTSHORT, 7, 0);
    ASSERT_NE(list, nullptr);
    std::vector<short> types;
    for (resbuf* rb = list; rb; rb = rb->rbnext)
        types.push_back(rb->restype);
    EXPECT_EQ(types, (std::vector<short>{RTDXF0, 2, 10, 40, 62, RTSHORT}));
    EXPECT_STREQ(list->resval.rstring, "INSERT");
    EXPECT_STREQ(list->rbnext->resval.rstring, "DOOR");
    EXPECT_EQ(list->rbnext->rbnext->resval.rpoint[2], 3.0);
    EXPECT_EQ(list->rbnext->rbnext->rbnext->resval.rreal, 2.5);
    EXPECT_EQ(list->rbnext->rbnext->rbnext->rbnext->resval.rint, 3);
    EXPECT_EQ(acutRelRb(list), RTNORM); // the sanitizer build checks that nothing leaks
}

} // namespace
