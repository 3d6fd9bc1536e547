#pragma once

#include "platform/cad/LargeMemory.h"
#include "platform/cad/Objects.h"
#include "platform/cad/Status.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace cad {

struct DxfLayout;

// The drawing's header variables that the editor uses.
// The release a $ACADVER names, as a number that orders releases: "AC1015" (R2000) is 1015, "AC1032" (R2018)
// 1032; the oldest, "AC1.50" and "AC2.10", are 150 and 210, below every "AC10nn". 0 for anything else.
[[nodiscard]] int ReleaseNumber(std::string_view acadver);
inline constexpr int kReleaseR12 = 1009;   // the last without handles, owners and classes
inline constexpr int kReleaseR2000 = 1015; // handles and owners throughout
inline constexpr int kReleaseR2007 = 1021; // text in UTF-8

struct DrawingHeader {
    std::string version = "AC1015"; // $ACADVER
    int Release() const { return ReleaseNumber(version); }
    std::string codePage = "ANSI_1252";
    std::uint64_t handseed = 0x20;
    Point3d insertionBase;
    Point3d extentsMin;
    Point3d extentsMax;
    int insertionUnits = 0;
};

enum class OpenMode { Read, Write };

// One drawing in memory. Objects are owned here and reached by id; the open/close bookkeeping lets a
// caller prove that an operation closed everything it opened.
// An object of the file's OBJECTS section that lookups follow: a dictionary's entries, another object's first
// pointer (group 340). The section itself is written back as it was read.
struct FileObject {
    std::string type;
    std::vector<std::pair<std::string, std::uint64_t>> entries; // of a DICTIONARY: name and handle
    std::uint64_t pointer = 0;
    // Of an IMAGEDEF the picture's file, as the file gives it; of a LAYOUT its name (and `pointer` its block
    // record, `order` its tab's place).
    std::string name;
    int order = 0;
};

class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    ObjectId BlockTableId() const { return m_blockTable; }
    ObjectId LayerTableId() const { return m_layerTable; }
    ObjectId TextStyleTableId() const { return m_textStyleTable; }
    ObjectId ModelSpaceId() const { return m_modelSpace; }
    ObjectId PaperSpaceId() const { return m_paperSpace; }

    // Looks an object up without opening it: for the editor's own bookkeeping and for tests.
    Object* Peek(ObjectId id);
    const Object* Peek(ObjectId id) const;
    template <typename T> T* PeekAs(ObjectId id) {
        Object* object = Peek(id);
        return object && T::Holds(object->Kind()) ? static_cast<T*>(object) : nullptr;
    }
    template <typename T> const T* PeekAs(ObjectId id) const {
        const Object* object = Peek(id);
        return object && T::Holds(object->Kind()) ? static_cast<const T*>(object) : nullptr;
    }

    // Many readers or one writer at a time; an erased object opens only when asked for.
    [[nodiscard]] ErrorStatus Open(ObjectId id, OpenMode mode, Object** out, bool openErased = false);
    [[nodiscard]] ErrorStatus Close(ObjectId id, OpenMode mode);
    // Marks an object that was just added as open for write by the one who added it.
    void MarkOpenForWrite(ObjectId id);
    std::size_t OpenObjectCount() const;
    std::vector<ObjectId> OpenObjects() const;

    // The record's name must be non-empty and new to the table (names compared without case).
    [[nodiscard]] ErrorStatus AddRecord(ObjectId tableId, ObjectPtr<SymbolTableRecord> record,
                                        ObjectId* out);
    // Null when absent or erased.
    ObjectId FindRecord(ObjectId tableId, std::string_view name) const;
    [[nodiscard]] ErrorStatus AppendEntity(ObjectId blockId, ObjectPtr<Entity> entity, ObjectId* out);
    // Attributes belong to their reference, not to a block's entity list.
    [[nodiscard]] ErrorStatus AppendAttribute(ObjectId referenceId, ObjectPtr<Attribute> attribute,
                                              ObjectId* out);

    // A new object in this database's arena, for one who makes many (a file reader); it still has to be
    // added like any other. When the arena cannot grow it comes from the heap, as any other would.
    template <typename T> ObjectPtr<T> Make() { return MakeIn<T>(m_arena); }
    // The same in another arena, for readers on other threads; the database takes the arena with the objects.
    template <typename T> static ObjectPtr<T> MakeIn(cad::Arena& arena) {
        void* memory = arena.Allocate(sizeof(T), alignof(T));
        if (!memory)
            return ObjectPtr<T>(new T());
        T* object = new (memory) T();
        object->m_inArena = true;
        return ObjectPtr<T>(object);
    }
    // Where Make makes objects.
    cad::Arena& Arena() { return m_arena; }
    // Keeps an arena whose objects were added, for as long as they live.
    void AdoptArena(std::unique_ptr<cad::Arena> arena) { m_arenas.push_back(std::move(arena)); }

    std::size_t ObjectCount() const { return m_objects.size(); }
    // The id the last object added was given (ids grow as objects are added); kNullId when there are none.
    ObjectId LastId() const;
    // Room for this many more objects, when the caller knows roughly how many will come.
    void Reserve(std::size_t objects) { m_objects.reserve(m_objects.size() + objects); }

    DrawingHeader& Header() { return m_header; }
    const DrawingHeader& Header() const { return m_header; }
    // The file the drawing was read from, kept so saving loses nothing; null for a new drawing.
    DxfLayout* Layout() const { return m_layout.get(); }
    void SetLayout(std::shared_ptr<DxfLayout> layout) { m_layout = std::move(layout); }

    void AddFileObject(std::uint64_t handle, FileObject object) { m_fileObjects[handle] = std::move(object); }
    // Null when the file has no such object, or none that lookups follow.
    const FileObject* FindFileObject(std::uint64_t handle) const;
    // The file's objects of one type ("LAYOUT"), by handle.
    std::vector<std::pair<std::uint64_t, const FileObject*>> FileObjectsOf(std::string_view type) const;
    // Model space, paper space, then the other paper-space layouts (*Paper_Space0, ...) in the table's order.
    std::vector<ObjectId> LayoutBlocks() const;
    // The block record the file gave this handle; null when none.
    ObjectId FindBlockRecordByHandle(std::uint64_t handle) const;

    // Ids are unique across all databases of the process; this finds the one an id belongs to.
    static Database* Owning(ObjectId id);

    // Erases an object or brings it back, as one change of the undo step being recorded.
    void SetErased(ObjectId id, bool erased);

    // Undo. What is added and erased between Begin and End is one step, named by the command that did it;
    // a step that changed nothing is not kept. Any command forgets what was undone before it.
    void BeginUndoStep(std::string name);
    void EndUndoStep();
    bool RecordingUndoStep() const { return m_recording; }
    // Takes the last step back: what it added is erased, what it erased is back as it was (written back from
    // the file untouched, when it came from there). False when there is nothing to undo.
    bool Undo(std::string* name = nullptr);
    bool Redo(std::string* name = nullptr);
    std::size_t UndoStepCount() const { return m_undo.size(); }
    std::size_t RedoStepCount() const { return m_redo.size(); }
    // A layer turned on or off (the sign of its colour) or frozen and thawed, journaled for U; false for an id
    // that is not a layer.
    bool ChangeLayer(ObjectId id, int color, int flags);
    // Names the drawing's state by the steps taken: the same after a step and its undo as before them.
    std::uint64_t UndoState() const { return m_undo.empty() ? 0 : m_undo.back().serial; }

private:
    struct UndoChange {
        enum class Kind { Added, Erased, Unerased, Layer } kind;
        ObjectId id;
        bool wasModified;
        // A layer's colour and flags on the other side of the change: swapped with the record's by U and REDO.
        int color = 0;
        int flags = 0;
    };
    void SwapLayer(UndoChange& change);
    struct UndoStep {
        std::string name;
        std::vector<UndoChange> changes;
        std::uint64_t serial = 0;
    };
    void Record(UndoChange change);

    ObjectId Adopt(ObjectPtr<Object> object, ObjectId owner);
    ObjectId AddTable(ObjectKind kind);
    ObjectId AddInitialRecord(ObjectId tableId, ObjectPtr<SymbolTableRecord> record);

    DrawingHeader m_header;
    std::shared_ptr<DxfLayout> m_layout;
    std::unordered_map<std::uint64_t, FileObject> m_fileObjects;
    cad::Arena m_arena; // before the objects, so that they go first
    std::vector<std::unique_ptr<cad::Arena>> m_arenas;
    std::vector<ObjectPtr<Object>, LargeAllocator<ObjectPtr<Object>>> m_objects; // by the local id, less one
    std::size_t m_openCount = 0; // objects open for read or write
    ObjectId m_serial = 0;
    ObjectId m_nextLocal = 1;
    ObjectId m_blockTable = kNullId;
    ObjectId m_layerTable = kNullId;
    ObjectId m_textStyleTable = kNullId;
    ObjectId m_modelSpace = kNullId;
    ObjectId m_paperSpace = kNullId;
    bool m_recording = false;
    UndoStep m_step;
    std::vector<UndoStep> m_undo;
    std::vector<UndoStep> m_redo;
    std::uint64_t m_nextUndoSerial = 1;
};

} // namespace cad
