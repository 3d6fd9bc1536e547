// What a module reads of references and definitions beyond their own fields: the attributes a reference owns, a
// definition's entities, a MINSERT's grid, the dynamic block a state belongs to, and extended data.
#include "platform/cad/arx/ArxInternal.h"
#include "platform/cad/arx/adslib.h"
#include "platform/cad/arx/dbdynblk.h"
#include "platform/cad/arx/dbents.h"
#include "platform/cad/arx/dbsymtb.h"

#include "platform/cad/DynamicBlocks.h"
#include "platform/cad/Text.h"

#include <cstring>

namespace {
template <class T> T& As(const AcDbObject& object) {
    return static_cast<T&>(*AcDbAccess::Impl(object));
}
} // namespace

// Attributes

AcDbObjectIterator::AcDbObjectIterator(cad::Database& database, std::vector<std::uint64_t> ids)
    : m_database(&database), m_ids(std::move(ids)) {
    start();
}

void AcDbObjectIterator::start(bool atBeginning) {
    m_position = atBeginning ? 0 : static_cast<long>(m_ids.size()) - 1;
    skip(!atBeginning);
}

bool AcDbObjectIterator::done() const {
    return m_position < 0 || m_position >= static_cast<long>(m_ids.size());
}

void AcDbObjectIterator::step(bool backwards, bool skipErased) {
    if (done())
        return;
    m_position += backwards ? -1 : 1;
    if (skipErased)
        skip(backwards);
}

void AcDbObjectIterator::skip(bool backwards) {
    while (!done()) {
        const cad::Object* object = m_database->Peek(m_ids[static_cast<std::size_t>(m_position)]);
        if (object && !object->IsErased())
            return;
        m_position += backwards ? -1 : 1;
    }
}

AcDbObjectId AcDbObjectIterator::objectId() const {
    return done() ? AcDbObjectId() : AcDbObjectId(m_ids[static_cast<std::size_t>(m_position)]);
}

AcDbObjectIterator* AcDbBlockReference::attributeIterator() const {
    if (isNewObject() || !AcDbAccess::DatabaseOf(*this))
        return nullptr;
    return new AcDbObjectIterator(*AcDbAccess::DatabaseOf(*this), As<cad::BlockReference>(*this).attributes);
}

AcGeScale3d AcDbBlockReference::scaleFactors() const {
    const cad::Point3d& scale = As<cad::BlockReference>(*this).scale;
    return AcGeScale3d(scale.x, scale.y, scale.z);
}

// MINSERT

AcDbMInsertBlock::AcDbMInsertBlock(const AcDbResident& resident) : AcDbBlockReference(resident) {}
Adesk::UInt16 AcDbMInsertBlock::columns() const {
    return static_cast<Adesk::UInt16>(As<cad::BlockReference>(*this).columnCount);
}
Adesk::UInt16 AcDbMInsertBlock::rows() const {
    return static_cast<Adesk::UInt16>(As<cad::BlockReference>(*this).rowCount);
}
AcRxClass* AcDbMInsertBlock::desc() {
    static AcRxClass* s_class = ArxClassNamed("AcDbMInsertBlock");
    return s_class;
}
AcDbMInsertBlock* AcDbMInsertBlock::cast(AcRxObject* object) {
    return object && object->isKindOf(desc()) ? static_cast<AcDbMInsertBlock*>(object) : nullptr;
}

// A definition's entities

bool AcDbBlockTableRecord::isAnonymous() const {
    const auto& record = As<cad::BlockTableRecord>(*this);
    return (record.flags & cad::kBlockAnonymous) != 0 || (!record.name.empty() && record.name[0] == '*');
}

Acad::ErrorStatus AcDbBlockTableRecord::newIterator(AcDbBlockTableRecordIterator*& iterator, bool atBeginning,
                                                    bool skipDeleted) const {
    iterator = nullptr;
    if (isNewObject() || !AcDbAccess::DatabaseOf(*this))
        return Acad::eNotInDatabase;
    iterator = new AcDbBlockTableRecordIterator(*AcDbAccess::DatabaseOf(*this), objectId().asOldId(), atBeginning,
                                                skipDeleted);
    return Acad::eOk;
}

AcDbBlockTableRecordIterator::AcDbBlockTableRecordIterator(cad::Database& database, std::uint64_t blockId,
                                                           bool atBeginning, bool skipDeleted)
    : m_database(&database), m_blockId(blockId) {
    start(atBeginning, skipDeleted);
}

void AcDbBlockTableRecordIterator::start(bool atBeginning, bool skipDeleted) {
    const auto* block = m_database->PeekAs<cad::BlockTableRecord>(m_blockId);
    long count = block ? static_cast<long>(block->entities.size()) : 0;
    m_position = atBeginning ? 0 : count - 1;
    skip(atBeginning, skipDeleted);
}

bool AcDbBlockTableRecordIterator::done() const {
    const auto* block = m_database->PeekAs<cad::BlockTableRecord>(m_blockId);
    return !block || m_position < 0 || m_position >= static_cast<long>(block->entities.size());
}

void AcDbBlockTableRecordIterator::step(bool forward, bool skipDeleted) {
    if (done())
        return;
    m_position += forward ? 1 : -1;
    skip(forward, skipDeleted);
}

void AcDbBlockTableRecordIterator::skip(bool forward, bool skipDeleted) {
    if (!skipDeleted)
        return;
    const auto* block = m_database->PeekAs<cad::BlockTableRecord>(m_blockId);
    while (!done()) {
        const cad::Object* entity = m_database->Peek(block->entities[static_cast<std::size_t>(m_position)]);
        if (entity && !entity->IsErased())
            return;
        m_position += forward ? 1 : -1;
    }
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntityId(AcDbObjectId& id) const {
    id.setNull();
    if (done())
        return Acad::eInvalidInput;
    id = AcDbObjectId(m_database->PeekAs<cad::BlockTableRecord>(m_blockId)->entities[static_cast<std::size_t>(m_position)]);
    return Acad::eOk;
}

// Dynamic blocks

AcDbDynBlockReference::AcDbDynBlockReference(AcDbObjectId blockReferenceId) : m_reference(blockReferenceId) {
    cad::Database* database = blockReferenceId.isNull() ? nullptr : cad::Database::Owning(blockReferenceId.asOldId());
    if (database)
        m_dynamicBlock = AcDbObjectId(cad::DynamicBlockOf(*database, blockReferenceId.asOldId()));
}

bool AcDbDynBlockReference::isDynamicBlock() const {
    return !m_dynamicBlock.isNull();
}

AcDbObjectId AcDbDynBlockReference::dynamicBlockTableRecord() const {
    return m_dynamicBlock;
}

// Extended data

resbuf* AcDbObject::xData(const ACHAR* regappName) const {
    const cad::Object* object = AcDbAccess::Impl(*this);
    const auto* block = object && object->Kind() == cad::ObjectKind::BlockRecord
                            ? static_cast<const cad::BlockTableRecord*>(object)
                            : nullptr;
    if (!block)
        return nullptr;
    resbuf* head = nullptr;
    resbuf** tail = &head;
    bool wanted = false;
    const std::vector<cad::XDataItem>& xdata = block->xdata;
    for (std::size_t i = 0; i < xdata.size(); ++i) {
        const cad::XDataItem& item = xdata[i];
        if (item.code == 1001)
            wanted = !regappName || cad::NamesEqual(item.text, regappName);
        if (!wanted)
            continue;
        resbuf* rb = acutNewRb(item.code);
        if (!rb)
            break;
        if (item.code == 1070) {
            rb->resval.rint = static_cast<short>(item.number);
        } else if (item.code == 1071) {
            rb->resval.rlong = static_cast<Adesk::Int32>(item.number);
        } else if (item.code >= 1010 && item.code <= 1013) {
            // A point's coordinates come as groups of their own in the file and as one buffer here.
            rb->resval.rpoint[0] = item.number;
            for (int axis = 1; axis < 3 && i + 1 < xdata.size() && xdata[i + 1].code == item.code + 10 * axis; ++axis)
                rb->resval.rpoint[axis] = xdata[++i].number;
        } else if (item.code >= 1014 && item.code <= 1059) {
            rb->resval.rreal = item.number;
        } else {
            rb->resval.rstring = ArxCopyString(item.text.c_str());
        }
        *tail = rb;
        tail = &rb->rbnext;
    }
    return head;
}
