#include "platform/cad/Host.h"
#include "platform/cad/arx/adslib.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class InsertCommand : public ::testing::Test {
protected:
    void SetUp() override {
        m_document = &cad::Host::Instance().Documents().NewDocument("Insert.dwg");
        Editor().Script().Clear();
        auto block = std::make_unique<cad::BlockTableRecord>();
        block->name = "TAG";
        ASSERT_EQ(Db().AddRecord(Db().BlockTableId(), std::move(block), &m_block), cad::ErrorStatus::Ok);
        AddDefinition("ITEM", "Item?", "DOOR", 0, {1, 0, 0});
        AddDefinition("PRICE", "", "0.00", cad::kAttPreset, {2, 0, 0});
    }
    void TearDown() override {
        EXPECT_EQ(Db().OpenObjectCount(), 0u);
        Editor().Script().Clear();
        cad::Host::Instance().Documents().CloseDocument(m_document);
    }
    void AddDefinition(const char* tag, const char* prompt, const char* text, int flags, cad::Point3d at) {
        auto definition = std::make_unique<cad::AttributeDefinition>();
        definition->tag = tag;
        definition->prompt = prompt;
        definition->text = text;
        definition->flags = flags;
        definition->position = at;
        cad::ObjectId id = cad::kNullId;
        ASSERT_EQ(Db().AppendEntity(m_block, std::move(definition), &id), cad::ErrorStatus::Ok);
    }
    cad::Database& Db() { return m_document->GetDatabase(); }
    static cad::Editor& Editor() { return cad::Host::Instance().GetEditor(); }
    const cad::Attribute* AttributeOf(const cad::BlockReference& reference, std::size_t i) {
        return Db().PeekAs<cad::Attribute>(reference.attributes.at(i));
    }

    cad::Document* m_document = nullptr;
    cad::ObjectId m_block = cad::kNullId;
};

TEST_F(InsertCommand, WithAttributePromptsAsksForEachValueButNotForPresetOnes) {
    Editor().Script().Push(cad::TextAnswer{"WINDOW"});
    cad::ObjectId id = cad::kNullId;
    ASSERT_EQ(cad::InsertBlock(Db(), Editor(), "tag", {0, 0, 0}, 1, 1, 0, true, &id), cad::RtNorm);
    EXPECT_EQ(Editor().Script().Pending(), 0u);
    const auto* reference = Db().PeekAs<cad::BlockReference>(id);
    ASSERT_EQ(reference->attributes.size(), 2u);
    EXPECT_EQ(AttributeOf(*reference, 0)->text, "WINDOW");
    EXPECT_EQ(AttributeOf(*reference, 1)->text, "0.00");
}

TEST_F(InsertCommand, AnEmptyAnswerKeepsTheDefaultAndACancelAddsNothing) {
    Editor().Script().Push(cad::EmptyAnswer{});
    cad::ObjectId id = cad::kNullId;
    ASSERT_EQ(cad::InsertBlock(Db(), Editor(), "TAG", {0, 0, 0}, 1, 1, 0, true, &id), cad::RtNorm);
    EXPECT_EQ(AttributeOf(*Db().PeekAs<cad::BlockReference>(id), 0)->text, "DOOR");

    std::size_t before = Db().PeekAs<cad::BlockTableRecord>(Db().ModelSpaceId())->entities.size();
    Editor().Script().Push(cad::CancelAnswer{});
    EXPECT_EQ(cad::InsertBlock(Db(), Editor(), "TAG", {0, 0, 0}, 1, 1, 0, true, &id), cad::RtCancel);
    EXPECT_EQ(id, cad::kNullId);
    EXPECT_EQ(Db().PeekAs<cad::BlockTableRecord>(Db().ModelSpaceId())->entities.size(), before);
}

TEST_F(InsertCommand, AttributesFollowScaleAndRotation) {
    cad::ObjectId id = cad::kNullId;
    ASSERT_EQ(cad::InsertBlock(Db(), Editor(), "TAG", {10, 10, 0}, 3, 3, 90, false, &id), cad::RtNorm);
    const auto* reference = Db().PeekAs<cad::BlockReference>(id);
    EXPECT_NEAR(reference->rotation, M_PI / 2, 1e-12);
    const cad::Point3d& p = AttributeOf(*reference, 1)->position; // (2, 0) scaled by 3, turned a quarter
    EXPECT_NEAR(p.x, 10.0, 1e-12);
    EXPECT_NEAR(p.y, 16.0, 1e-12);
    EXPECT_NEAR(AttributeOf(*reference, 1)->rotation, M_PI / 2, 1e-12);
}

TEST_F(InsertCommand, MissingArgumentsAreAskedForAndARotationTextIsANumber) {
    ASSERT_EQ(cad::Host::Instance().GetEditor().SetVariable("ATTREQ", std::int16_t{0}), cad::RtNorm);
    Editor().Script().Push(cad::PointAnswer{{5, 5, 0}});
    Editor().Script().Push(cad::EmptyAnswer{});      // X scale: 1
    Editor().Script().Push(cad::TextAnswer{"2"});    // Y scale
    Editor().Script().Push(cad::TextAnswer{"45"});   // rotation
    EXPECT_EQ(acedCommand(RTSTR, "_.INSERT", RTSTR, "TAG", 0), RTNORM);
    ASSERT_EQ(cad::Host::Instance().GetEditor().SetVariable("ATTREQ", std::int16_t{1}), cad::RtNorm);
    const auto* model = Db().PeekAs<cad::BlockTableRecord>(Db().ModelSpaceId());
    const auto* reference = Db().PeekAs<cad::BlockReference>(model->entities.back());
    EXPECT_EQ(reference->position, (cad::Point3d{5, 5, 0}));
    EXPECT_EQ(reference->scale, (cad::Point3d{1, 2, 1}));
    EXPECT_NEAR(reference->rotation, M_PI / 4, 1e-12);
}

TEST_F(InsertCommand, LayoutBlocksAndZeroScalesAreRefused) {
    cad::ObjectId id = cad::kNullId;
    EXPECT_EQ(cad::InsertBlock(Db(), Editor(), "*Model_Space", {0, 0, 0}, 1, 1, 0, false, &id), cad::RtError);
    EXPECT_EQ(cad::InsertBlock(Db(), Editor(), "TAG", {0, 0, 0}, 0, 1, 0, false, &id), cad::RtError);
    EXPECT_TRUE(Db().PeekAs<cad::BlockTableRecord>(Db().ModelSpaceId())->entities.empty());
}

} // namespace
