#include "platform/cad/Database.h"

#include "platform/cad/Text.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <utility>

namespace cad {

namespace {
constexpr int kSerialShift = 40;
std::atomic<ObjectId> s_nextSerial{1};

// The live databases by serial. Drawings are read on several threads while the census looks objects up on
// another, which must cost no lock: the table is filled in chunks that, once there, stay.
constexpr std::size_t kChunk = 4096;
constexpr std::size_t kChunks = 4096; // serials below 2^24, as many as an id's upper bits hold
std::atomic<std::atomic<Database*>*> s_chunks[kChunks];
std::mutex s_chunkMutex;

void SetLive(ObjectId serial, Database* database) {
    if (serial >= kChunk * kChunks)
        return;
    std::atomic<Database*>* chunk = s_chunks[serial / kChunk].load(std::memory_order_acquire);
    if (!chunk) {
        std::lock_guard<std::mutex> hold(s_chunkMutex);
        chunk = s_chunks[serial / kChunk].load(std::memory_order_acquire);
        if (!chunk) {
            chunk = new std::atomic<Database*>[kChunk]();
            s_chunks[serial / kChunk].store(chunk, std::memory_order_release);
        }
    }
    chunk[serial % kChunk].store(database, std::memory_order_release);
}
} // namespace

int ReleaseNumber(std::string_view acadver) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (acadver.size() < 6 || acadver.substr(0, 2) != "AC")
        return 0;
    std::string_view rest = acadver.substr(2, 4);
    if (digit(rest[0]) && digit(rest[1]) && digit(rest[2]) && digit(rest[3]))
        return (rest[0] - '0') * 1000 + (rest[1] - '0') * 100 + (rest[2] - '0') * 10 + (rest[3] - '0');
    if (digit(rest[0]) && rest[1] == '.' && digit(rest[2]) && digit(rest[3]))
        return (rest[0] - '0') * 100 + (rest[2] - '0') * 10 + (rest[3] - '0');
    return 0;
}

Database::Database() : m_serial(s_nextSerial.fetch_add(1)) {
    SetLive(m_serial, this);
    m_blockTable = AddTable(ObjectKind::BlockTable);
    m_layerTable = AddTable(ObjectKind::LayerTable);
    m_textStyleTable = AddTable(ObjectKind::TextStyleTable);

    auto model = std::make_unique<BlockTableRecord>();
    model->name = "*Model_Space";
    m_modelSpace = AddInitialRecord(m_blockTable, std::move(model));
    auto paper = std::make_unique<BlockTableRecord>();
    paper->name = "*Paper_Space";
    m_paperSpace = AddInitialRecord(m_blockTable, std::move(paper));
    auto layer = std::make_unique<LayerTableRecord>();
    layer->name = "0";
    AddInitialRecord(m_layerTable, std::move(layer));
    auto style = std::make_unique<TextStyleTableRecord>();
    style->name = "Standard";
    AddInitialRecord(m_textStyleTable, std::move(style));
}

Database::~Database() {
    SetLive(m_serial, nullptr);
}

Database* Database::Owning(ObjectId id) {
    ObjectId serial = id >> kSerialShift;
    if (serial >= kChunk * kChunks)
        return nullptr;
    std::atomic<Database*>* chunk = s_chunks[serial / kChunk].load(std::memory_order_acquire);
    return chunk ? chunk[serial % kChunk].load(std::memory_order_acquire) : nullptr;
}

ObjectId Database::Adopt(ObjectPtr<Object> object, ObjectId owner) {
    ObjectId id = (m_serial << kSerialShift) | m_nextLocal++;
    object->m_id = id;
    object->m_ownerId = owner;
    m_objects.push_back(std::move(object));
    Record(UndoChange{UndoChange::Kind::Added, id, false});
    return id;
}

ObjectId Database::LastId() const {
    return m_nextLocal > 1 ? (m_serial << kSerialShift) | (m_nextLocal - 1) : kNullId;
}

void Database::Record(UndoChange change) {
    if (m_recording)
        m_step.changes.push_back(change);
}

void Database::SetErased(ObjectId id, bool erased) {
    Object* object = Peek(id);
    if (!object || object->m_erased == erased)
        return;
    Record(UndoChange{erased ? UndoChange::Kind::Erased : UndoChange::Kind::Unerased, id, object->m_modified});
    object->SetErased(erased);
}

bool Database::ChangeLayer(ObjectId id, int color, int flags) {
    auto* layer = PeekAs<LayerTableRecord>(id);
    if (!layer)
        return false;
    if (layer->color == color && layer->flags == flags)
        return true;
    UndoChange change{UndoChange::Kind::Layer, id, layer->IsModified(), color, flags};
    SwapLayer(change);
    layer->Touch();
    Record(change);
    return true;
}

void Database::SwapLayer(UndoChange& change) {
    auto* layer = PeekAs<LayerTableRecord>(change.id);
    if (!layer)
        return;
    std::swap(layer->color, change.color);
    std::swap(layer->flags, change.flags);
}

void Database::BeginUndoStep(std::string name) {
    m_recording = true;
    m_step = UndoStep{std::move(name), {}, 0};
}

void Database::EndUndoStep() {
    if (!m_recording)
        return;
    m_recording = false;
    // Whatever the command did, REDO follows only U and UNDO.
    m_redo.clear();
    if (m_step.changes.empty())
        return;
    m_step.serial = m_nextUndoSerial++;
    m_undo.push_back(std::move(m_step));
    m_step = UndoStep{};
}

bool Database::Undo(std::string* name) {
    if (m_undo.empty())
        return false;
    UndoStep step = std::move(m_undo.back());
    m_undo.pop_back();
    for (auto it = step.changes.rbegin(); it != step.changes.rend(); ++it) {
        Object* object = Peek(it->id);
        if (!object)
            continue;
        if (it->kind == UndoChange::Kind::Layer) {
            SwapLayer(*it);
            object->m_modified = it->wasModified;
            continue;
        }
        // Objects that came with the step go out of the drawing; the file never had them.
        object->m_erased = it->kind != UndoChange::Kind::Erased;
        if (it->kind != UndoChange::Kind::Added)
            object->m_modified = it->wasModified;
    }
    if (name)
        *name = step.name;
    m_redo.push_back(std::move(step));
    return true;
}

bool Database::Redo(std::string* name) {
    if (m_redo.empty())
        return false;
    UndoStep step = std::move(m_redo.back());
    m_redo.pop_back();
    for (UndoChange& change : step.changes) {
        Object* object = Peek(change.id);
        if (!object)
            continue;
        if (change.kind == UndoChange::Kind::Layer) {
            SwapLayer(change);
            object->m_modified = true;
            continue;
        }
        object->m_erased = change.kind == UndoChange::Kind::Erased;
        if (change.kind != UndoChange::Kind::Added)
            object->m_modified = true;
    }
    if (name)
        *name = step.name;
    m_undo.push_back(std::move(step));
    return true;
}

ObjectId Database::AddTable(ObjectKind kind) {
    return Adopt(std::make_unique<SymbolTable>(kind), kNullId);
}

ObjectId Database::AddInitialRecord(ObjectId tableId, ObjectPtr<SymbolTableRecord> record) {
    ObjectId id = kNullId;
    [[maybe_unused]] ErrorStatus status = AddRecord(tableId, std::move(record), &id);
    return id;
}

Object* Database::Peek(ObjectId id) {
    return const_cast<Object*>(std::as_const(*this).Peek(id));
}

const Object* Database::Peek(ObjectId id) const {
    if ((id >> kSerialShift) != m_serial)
        return nullptr;
    ObjectId local = id & ((ObjectId{1} << kSerialShift) - 1);
    return local >= 1 && local <= m_objects.size() ? m_objects[local - 1].get() : nullptr;
}

ErrorStatus Database::Open(ObjectId id, OpenMode mode, Object** out, bool openErased) {
    *out = nullptr;
    if (id == kNullId)
        return ErrorStatus::NullObjectId;
    Object* object = Peek(id);
    if (!object)
        return ErrorStatus::InvalidObjectId;
    if (object->IsErased() && !openErased)
        return ErrorStatus::WasErased;
    if (object->m_writer)
        return ErrorStatus::WasOpenForWrite;
    bool wasClosed = object->m_readers == 0;
    if (mode == OpenMode::Write) {
        if (!wasClosed)
            return ErrorStatus::WasOpenForRead;
        object->m_writer = true;
    } else {
        // So many readers at once is a leak in the caller, not a use: refuse rather than wrap around.
        if (object->m_readers == UINT16_MAX)
            return ErrorStatus::WasOpenForRead;
        ++object->m_readers;
    }
    if (wasClosed)
        ++m_openCount;
    *out = object;
    return ErrorStatus::Ok;
}

ErrorStatus Database::Close(ObjectId id, OpenMode mode) {
    Object* object = Peek(id);
    if (!object)
        return ErrorStatus::InvalidOpenState;
    if (mode == OpenMode::Write) {
        if (!object->m_writer)
            return ErrorStatus::InvalidOpenState;
        object->m_writer = false;
    } else {
        if (object->m_readers == 0)
            return ErrorStatus::InvalidOpenState;
        --object->m_readers;
    }
    if (!object->m_writer && object->m_readers == 0)
        --m_openCount;
    return ErrorStatus::Ok;
}

void Database::MarkOpenForWrite(ObjectId id) {
    Object* object = Peek(id);
    if (!object || object->m_writer)
        return;
    if (object->m_readers == 0)
        ++m_openCount;
    object->m_writer = true;
}

std::size_t Database::OpenObjectCount() const {
    return m_openCount;
}

std::vector<ObjectId> Database::OpenObjects() const {
    std::vector<ObjectId> ids;
    for (const auto& object : m_objects) {
        if (object && (object->m_writer || object->m_readers > 0))
            ids.push_back(object->Id());
    }
    return ids;
}

ErrorStatus Database::AddRecord(ObjectId tableId, ObjectPtr<SymbolTableRecord> record, ObjectId* out) {
    *out = kNullId;
    auto* table = PeekAs<SymbolTable>(tableId);
    if (!table || !record)
        return ErrorStatus::InvalidInput;
    if (record->name.empty())
        return ErrorStatus::InvalidInput;
    if (FindRecord(tableId, record->name) != kNullId)
        return ErrorStatus::DuplicateRecordName;
    ObjectId id = Adopt(std::move(record), tableId);
    table->records.push_back(id);
    *out = id;
    return ErrorStatus::Ok;
}

ObjectId Database::FindRecord(ObjectId tableId, std::string_view name) const {
    const auto* table = PeekAs<SymbolTable>(tableId);
    if (!table)
        return kNullId;
    for (ObjectId id : table->records) {
        const auto* record = PeekAs<SymbolTableRecord>(id);
        if (record && !record->IsErased() && NamesEqual(record->name, name))
            return id;
    }
    return kNullId;
}

const FileObject* Database::FindFileObject(std::uint64_t handle) const {
    auto found = m_fileObjects.find(handle);
    return found == m_fileObjects.end() ? nullptr : &found->second;
}

std::vector<std::pair<std::uint64_t, const FileObject*>> Database::FileObjectsOf(std::string_view type) const {
    std::vector<std::pair<std::uint64_t, const FileObject*>> found;
    for (const auto& [handle, object] : m_fileObjects)
        if (NamesEqual(object.type, type))
            found.emplace_back(handle, &object);
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return found;
}

std::vector<ObjectId> Database::LayoutBlocks() const {
    std::vector<ObjectId> layouts{m_modelSpace, m_paperSpace};
    const auto* table = PeekAs<SymbolTable>(m_blockTable);
    for (ObjectId id : table ? table->records : std::vector<ObjectId>{}) {
        const auto* record = PeekAs<BlockTableRecord>(id);
        if (!record || record->IsErased() || id == m_modelSpace || id == m_paperSpace)
            continue;
        if (record->name.size() > 12 && NamesEqual(std::string_view(record->name).substr(0, 12), "*Paper_Space"))
            layouts.push_back(id);
    }
    return layouts;
}

ObjectId Database::FindBlockRecordByHandle(std::uint64_t handle) const {
    const auto* table = PeekAs<SymbolTable>(m_blockTable);
    if (handle == 0 || !table)
        return kNullId;
    for (ObjectId id : table->records) {
        const auto* record = PeekAs<BlockTableRecord>(id);
        if (record && !record->IsErased() && record->Handle() == handle)
            return id;
    }
    return kNullId;
}

ErrorStatus Database::AppendEntity(ObjectId blockId, ObjectPtr<Entity> entity, ObjectId* out) {
    *out = kNullId;
    auto* block = PeekAs<BlockTableRecord>(blockId);
    if (!block || !entity)
        return ErrorStatus::InvalidInput;
    ObjectId id = Adopt(std::move(entity), blockId);
    block->entities.push_back(id);
    *out = id;
    return ErrorStatus::Ok;
}

ErrorStatus Database::AppendAttribute(ObjectId referenceId, ObjectPtr<Attribute> attribute, ObjectId* out) {
    *out = kNullId;
    auto* reference = PeekAs<BlockReference>(referenceId);
    if (!reference || !attribute)
        return ErrorStatus::InvalidInput;
    ObjectId id = Adopt(std::move(attribute), referenceId);
    reference->attributes.push_back(id);
    *out = id;
    return ErrorStatus::Ok;
}

} // namespace cad
