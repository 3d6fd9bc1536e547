#include "platform/cad/Host.h"
#include "platform/cad/arx/adslib.h"
#include "platform/cad/arx/dbents.h"
#include "platform/cad/arx/dbsymtb.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// A fresh drawing as the working database of the editor, checked for open objects when the test ends.
class WorkingDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        m_document = &cad::Host::Instance().Documents().NewDocument("Plan1.dwg");
    }
    void TearDown() override {
        EXPECT_EQ(Db().OpenObjectCount(), 0u) << "an object was left open";
        cad::Host::Instance().Documents().CloseDocument(m_document);
    }
    cad::Database& Db() { return m_document->GetDatabase(); }

    // A block "DOOR" with one line and attribute definitions TAG1 (default "12.50") and a constant one.
    cad::ObjectId AddDoorBlock() {
        auto block = std::make_unique<cad::BlockTableRecord>();
        block->name = "DOOR";
        block->origin = cad::Point3d{1.0, 1.0, 0.0};
        cad::ObjectId blockId = cad::kNullId;
        EXPECT_EQ(Db().AddRecord(Db().BlockTableId(), std::move(block), &blockId), cad::ErrorStatus::Ok);
        cad::ObjectId id = cad::kNullId;
        auto line = std::make_unique<cad::Line>();
        line->end = cad::Point3d{2.0, 0.0, 0.0};
        EXPECT_EQ(Db().AppendEntity(blockId, std::move(line), &id), cad::ErrorStatus::Ok);
        auto price = std::make_unique<cad::AttributeDefinition>();
        price->tag = "PRICE";
        price->text = "12.50";
        price->position = cad::Point3d{2.0, 1.0, 0.0};
        price->height = 0.5;
        EXPECT_EQ(Db().AppendEntity(blockId, std::move(price), &id), cad::ErrorStatus::Ok);
        auto fixed = std::make_unique<cad::AttributeDefinition>();
        fixed->tag = "MAKER";
        fixed->text = "Acme";
        fixed->flags = cad::kAttConstant;
        EXPECT_EQ(Db().AppendEntity(blockId, std::move(fixed), &id), cad::ErrorStatus::Ok);
        return blockId;
    }

    cad::Document* m_document = nullptr;
};

TEST_F(WorkingDrawing, NewDatabaseHasTheStandardRecords) {
    EXPECT_NE(Db().FindRecord(Db().BlockTableId(), "*Model_Space"), cad::kNullId);
    EXPECT_NE(Db().FindRecord(Db().BlockTableId(), "*PAPER_SPACE"), cad::kNullId);
    EXPECT_NE(Db().FindRecord(Db().TextStyleTableId(), "standard"), cad::kNullId);
    EXPECT_NE(Db().FindRecord(Db().LayerTableId(), "0"), cad::kNullId);
}

TEST_F(WorkingDrawing, ManyReadersOrOneWriter) {
    AcDbObjectId model(Db().ModelSpaceId());
    AcDbObject* first = nullptr;
    AcDbObject* second = nullptr;
    AcDbObject* writer = nullptr;
    ASSERT_EQ(acdbOpenAcDbObject(first, model, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(acdbOpenAcDbObject(second, model, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(acdbOpenAcDbObject(writer, model, AcDb::kForWrite), Acad::eWasOpenForRead);
    EXPECT_EQ(writer, nullptr);
    EXPECT_EQ(first->close(), Acad::eOk);
    EXPECT_EQ(Db().OpenObjectCount(), 1u);
    EXPECT_EQ(second->close(), Acad::eOk);
    ASSERT_EQ(acdbOpenAcDbObject(writer, model, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(acdbOpenAcDbObject(first, model, AcDb::kForRead), Acad::eWasOpenForWrite);
    EXPECT_EQ(writer->close(), Acad::eOk);
}

TEST_F(WorkingDrawing, OpeningChecksIdsErasureAndClass) {
    AcDbObject* object = nullptr;
    EXPECT_EQ(acdbOpenAcDbObject(object, AcDbObjectId(), AcDb::kForRead), Acad::eNullObjectId);
    EXPECT_EQ(acdbOpenAcDbObject(object, AcDbObjectId(Db().ModelSpaceId() + 999), AcDb::kForRead),
              Acad::eInvalidObjectId);
    AcDbBlockReference* reference = nullptr;
    EXPECT_EQ(acdbOpenObject(reference, AcDbObjectId(Db().ModelSpaceId()), AcDb::kForRead),
              Acad::eNotThatKindOfClass);
    EXPECT_EQ(reference, nullptr);
    AcDbSymbolTableRecord* record = nullptr;
    ASSERT_EQ(acdbOpenObject(record, AcDbObjectId(Db().ModelSpaceId()), AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(record->isKindOf(AcDbBlockTableRecord::desc()));
    EXPECT_EQ(record->erase(), Acad::eNotOpenForWrite);
    EXPECT_EQ(record->close(), Acad::eOk);

    cad::ObjectId door = AddDoorBlock();
    Db().Peek(door)->SetErased(true);
    EXPECT_EQ(acdbOpenAcDbObject(object, AcDbObjectId(door), AcDb::kForRead), Acad::eWasErased);
    ASSERT_EQ(acdbOpenAcDbObject(object, AcDbObjectId(door), AcDb::kForRead, true), Acad::eOk);
    EXPECT_TRUE(object->isErased());
    EXPECT_EQ(object->close(), Acad::eOk);
}

TEST_F(WorkingDrawing, MissingRecordIsKeyNotFoundAndNamesIgnoreCase) {
    AcDbBlockTable* table = nullptr;
    ASSERT_EQ(acdbCurDwg()->getSymbolTable(table, AcDb::kForRead), Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(table->getAt("NOSUCH", id), Acad::eKeyNotFound);
    EXPECT_EQ(static_cast<int>(table->getAt("NOSUCH", id)), 22);
    EXPECT_TRUE(id.isNull());
    EXPECT_EQ(table->getAt("*model_space", id), Acad::eOk);
    EXPECT_EQ(id.asOldId(), Db().ModelSpaceId());
    AcDbBlockTableRecord* record = nullptr;
    EXPECT_EQ(table->getAt("NOSUCH", record, AcDb::kForRead), Acad::eKeyNotFound);
    EXPECT_EQ(table->close(), Acad::eOk);
}

TEST_F(WorkingDrawing, IteratorSkipsErasedRecordsAndGetNameHandsOutACopy) {
    cad::ObjectId door = AddDoorBlock();
    auto window = std::make_unique<cad::BlockTableRecord>();
    window->name = "WINDOW";
    cad::ObjectId windowId = cad::kNullId;
    ASSERT_EQ(Db().AddRecord(Db().BlockTableId(), std::move(window), &windowId), cad::ErrorStatus::Ok);
    Db().Peek(door)->SetErased(true);

    AcDbBlockTable* table = nullptr;
    ASSERT_EQ(acdbCurDwg()->getSymbolTable(table, AcDb::kForRead), Acad::eOk);
    AcDbBlockTableIterator* iterator = nullptr;
    ASSERT_EQ(table->newIterator(iterator), Acad::eOk);
    std::string names;
    for (; !iterator->done(); iterator->step()) {
        AcDbBlockTableRecord* record = nullptr;
        ASSERT_EQ(iterator->getRecord(record, AcDb::kForRead), Acad::eOk);
        char* name = nullptr;
        ASSERT_EQ(record->getName(name), Acad::eOk);
        names += std::string(name) + ";";
        acad_free(name);
        EXPECT_EQ(record->close(), Acad::eOk);
    }
    delete iterator;
    EXPECT_EQ(table->close(), Acad::eOk);
    EXPECT_EQ(names, "*Model_Space;*Paper_Space;WINDOW;");
}

TEST_F(WorkingDrawing, AddedRecordsAndEntitiesBelongToTheDatabase) {
    std::size_t liveBefore = AcHeapOperators::liveCount();
    AcDbBlockTable* table = nullptr;
    ASSERT_EQ(acdbCurDwg()->getSymbolTable(table, AcDb::kForWrite), Acad::eOk);
    auto* record = new AcDbBlockTableRecord();
    EXPECT_EQ(record->setName("QVT0001"), Acad::eOk);
    EXPECT_EQ(record->setOrigin(AcGePoint3d(0, 10, 0)), Acad::eOk);
    AcDbObjectId recordId;
    ASSERT_EQ(table->add(recordId, record), Acad::eOk);
    auto* twin = new AcDbBlockTableRecord();
    EXPECT_EQ(twin->setName("qvt0001"), Acad::eOk);
    EXPECT_EQ(table->add(twin), Acad::eDuplicateRecordName);
    delete twin; // a refused record stays the caller's
    EXPECT_EQ(table->close(), Acad::eOk);

    auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(5, 0, 0));
    AcDbObjectId lineId;
    ASSERT_EQ(record->appendAcDbEntity(lineId, line), Acad::eOk);
    EXPECT_EQ(line->setEndPoint(AcGePoint3d(6, 0, 0)), Acad::eOk);
    EXPECT_EQ(line->close(), Acad::eOk);
    EXPECT_EQ(record->close(), Acad::eOk);
    EXPECT_EQ(AcHeapOperators::liveCount(), liveBefore);

    const auto* block = Db().PeekAs<cad::BlockTableRecord>(recordId.asOldId());
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->origin, (cad::Point3d{0, 10, 0}));
    ASSERT_EQ(block->entities.size(), 1u);
    EXPECT_EQ(Db().PeekAs<cad::Line>(block->entities[0])->end, (cad::Point3d{6, 0, 0}));
}

TEST_F(WorkingDrawing, InsertWithoutAttributePromptsTakesTheDefaults) {
    AddDoorBlock();
    cad::Editor& editor = cad::Host::Instance().GetEditor();
    ASSERT_EQ(editor.SetVariable("ATTREQ", std::int16_t{0}), cad::RtNorm);
    ads_point corner = {10.0, 20.0, 0.0};
    EXPECT_EQ(acedCommand(RTSTR, ".INSERT", RTSTR, "door", RTPOINT, corner, RTREAL, 2.0, RTREAL, 2.0, RTSTR, "0", 0),
              RTNORM);
    ASSERT_EQ(editor.SetVariable("ATTREQ", std::int16_t{1}), cad::RtNorm);

    const auto* model = Db().PeekAs<cad::BlockTableRecord>(Db().ModelSpaceId());
    ASSERT_EQ(model->entities.size(), 1u);
    const auto* reference = Db().PeekAs<cad::BlockReference>(model->entities[0]);
    ASSERT_NE(reference, nullptr);
    EXPECT_EQ(reference->blockId, Db().FindRecord(Db().BlockTableId(), "DOOR"));
    EXPECT_EQ(reference->position, (cad::Point3d{10, 20, 0}));
    EXPECT_EQ(reference->scale, (cad::Point3d{2, 2, 1}));
    // The constant definition gives no attribute; the other one its default, placed and scaled.
    ASSERT_EQ(reference->attributes.size(), 1u);
    const auto* attribute = Db().PeekAs<cad::Attribute>(reference->attributes[0]);
    EXPECT_EQ(attribute->tag, "PRICE");
    EXPECT_EQ(attribute->text, "12.50");
    EXPECT_EQ(attribute->position, (cad::Point3d{12, 20, 0}));
    EXPECT_DOUBLE_EQ(attribute->height, 1.0);
    EXPECT_EQ(attribute->OwnerId(), reference->Id());
}

TEST_F(WorkingDrawing, InsertOfAnUnknownBlockAddsNothing) {
    ads_point corner = {0.0, 0.0, 0.0};
    cad::Editor& editor = cad::Host::Instance().GetEditor();
    editor.ClearCommandLine();
    EXPECT_EQ(acedCommand(RTSTR, ".INSERT", RTSTR, "GHOST", RTPOINT, corner, RTREAL, 1.0, RTREAL, 1.0, RTSTR, "0", 0),
              RTERROR);
    EXPECT_NE(editor.CommandLine().find("Block \"GHOST\" not found."), std::string::npos);
    EXPECT_TRUE(Db().PeekAs<cad::BlockTableRecord>(Db().ModelSpaceId())->entities.empty());
}

TEST_F(WorkingDrawing, SelectionKeepsOnlyTheFilteredTypesInOrder) {
    cad::ObjectId door = AddDoorBlock();
    cad::ObjectId ids[3];
    auto first = std::make_unique<cad::BlockReference>();
    first->blockId = door;
    ASSERT_EQ(Db().AppendEntity(Db().ModelSpaceId(), std::move(first), &ids[0]), cad::ErrorStatus::Ok);
    ASSERT_EQ(Db().AppendEntity(Db().ModelSpaceId(), std::make_unique<cad::Line>(), &ids[1]), cad::ErrorStatus::Ok);
    auto second = std::make_unique<cad::BlockReference>();
    second->blockId = door;
    ASSERT_EQ(Db().AppendEntity(Db().ModelSpaceId(), std::move(second), &ids[2]), cad::ErrorStatus::Ok);

    cad::Host::Instance().GetEditor().Script().Push(cad::SelectionAnswer{true, {}});
    resbuf* filter = acutBuildList(RTDXF0, "INSERT", 0);
    ads_name ss = {0, 0};
    ASSERT_EQ(acedSSGet(nullptr, nullptr, nullptr, filter, ss), RTNORM);
    acutRelRb(filter);
    Adesk::Int32 length = 0;
    ASSERT_EQ(acedSSLength(ss, &length), RTNORM);
    ASSERT_EQ(length, 2);
    ads_name entity = {0, 0};
    AcDbObjectId id;
    ASSERT_EQ(acedSSName(ss, 1, entity), RTNORM);
    ASSERT_EQ(acdbGetObjectId(id, entity), Acad::eOk);
    EXPECT_EQ(id.asOldId(), ids[2]);
    EXPECT_EQ(acedSSName(ss, 2, entity), RTERROR);
    EXPECT_EQ(acedSSFree(ss), RTNORM);
    EXPECT_EQ(acedSSLength(ss, &length), RTERROR);

    // Nothing left after the filter is an error, as the host answers it.
    cad::Host::Instance().GetEditor().Script().Push(cad::SelectionAnswer{false, {ids[1]}});
    resbuf insertOnly{nullptr, 0, {}};
    insertOnly.resval.rstring = const_cast<char*>("INSERT");
    EXPECT_EQ(acedSSGet(nullptr, nullptr, nullptr, &insertOnly, ss), RTERROR);
}

} // namespace
