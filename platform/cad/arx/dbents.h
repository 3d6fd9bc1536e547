#pragma once

#include "platform/cad/arx/dbmain.h"

#include <vector>

class AcDbLine : public AcDbEntity {
public:
    AcDbLine();
    AcDbLine(const AcGePoint3d& start, const AcGePoint3d& end);
    AcGePoint3d startPoint() const;
    AcGePoint3d endPoint() const;
    Acad::ErrorStatus setStartPoint(const AcGePoint3d& point);
    Acad::ErrorStatus setEndPoint(const AcGePoint3d& point);
    static AcRxClass* desc();
    static AcDbLine* cast(AcRxObject* object);
    explicit AcDbLine(const AcDbResident& resident);
};

class AcDbCircle : public AcDbEntity {
public:
    AcDbCircle();
    AcDbCircle(const AcGePoint3d& center, double radius);
    AcGePoint3d center() const;
    double radius() const;
    Acad::ErrorStatus setCenter(const AcGePoint3d& center);
    Acad::ErrorStatus setRadius(double radius);
    static AcRxClass* desc();
    static AcDbCircle* cast(AcRxObject* object);
    explicit AcDbCircle(const AcDbResident& resident);
};

class AcDbArc : public AcDbEntity {
public:
    AcDbArc();
    AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle);
    AcGePoint3d center() const;
    double radius() const;
    double startAngle() const;
    double endAngle() const;
    static AcRxClass* desc();
    static AcDbArc* cast(AcRxObject* object);
    explicit AcDbArc(const AcDbResident& resident);
};

class AcDbText : public AcDbEntity {
public:
    AcDbText();
    AcGePoint3d position() const;
    Acad::ErrorStatus setPosition(const AcGePoint3d& point);
    AcGePoint3d alignmentPoint() const;
    Acad::ErrorStatus setAlignmentPoint(const AcGePoint3d& point);
    // A copy allocated for the caller, released with free() or acad_free().
    ACHAR* textString() const;
    Acad::ErrorStatus setTextString(const ACHAR* text);
    double height() const;
    Acad::ErrorStatus setHeight(double height);
    double widthFactor() const;
    Acad::ErrorStatus setWidthFactor(double factor);
    double rotation() const;
    Acad::ErrorStatus setRotation(double radians);
    AcDb::TextHorzMode horizontalMode() const;
    Acad::ErrorStatus setHorizontalMode(AcDb::TextHorzMode mode);
    AcDb::TextVertMode verticalMode() const;
    Acad::ErrorStatus setVerticalMode(AcDb::TextVertMode mode);
    AcDbObjectId textStyle() const;
    Acad::ErrorStatus setTextStyle(AcDbObjectId style);
    static AcRxClass* desc();
    static AcDbText* cast(AcRxObject* object);
    explicit AcDbText(const AcDbResident& resident);

protected:
    explicit AcDbText(std::unique_ptr<cad::Object> fresh);
};

class AcDbAttributeDefinition : public AcDbText {
public:
    AcDbAttributeDefinition();
    AcDbAttributeDefinition(const AcGePoint3d& position, const ACHAR* text, const ACHAR* tag, const ACHAR* prompt,
                            AcDbObjectId style = AcDbObjectId::kNull);
    // Copies allocated for the caller, released with free() or acad_free().
    ACHAR* tag() const;
    ACHAR* prompt() const;
    Acad::ErrorStatus setTag(const ACHAR* tag);
    Acad::ErrorStatus setPrompt(const ACHAR* prompt);
    bool isInvisible() const;
    bool isConstant() const;
    bool isVerifiable() const;
    bool isPreset() const;
    Acad::ErrorStatus setInvisible(bool value);
    Acad::ErrorStatus setConstant(bool value);
    Acad::ErrorStatus setVerifiable(bool value);
    Acad::ErrorStatus setPreset(bool value);
    static AcRxClass* desc();
    static AcDbAttributeDefinition* cast(AcRxObject* object);
    explicit AcDbAttributeDefinition(const AcDbResident& resident);

private:
    Acad::ErrorStatus setFlag(int flag, bool value);
};

class AcDbAttribute : public AcDbText {
public:
    ACHAR* tag() const;
    bool isInvisible() const;
    static AcRxClass* desc();
    static AcDbAttribute* cast(AcRxObject* object);
    explicit AcDbAttribute(const AcDbResident& resident);
};

// The ids of objects a container owns (a reference's attributes), as they were when it was made; erased ones
// are passed over.
class AcDbObjectIterator : public AcHeapOperators {
public:
    AcDbObjectIterator(cad::Database& database, std::vector<std::uint64_t> ids);
    void start(bool atBeginning = true);
    bool done() const;
    void step(bool backwards = false, bool skipErased = true);
    AcDbObjectId objectId() const;

private:
    void skip(bool backwards);
    cad::Database* m_database;
    std::vector<std::uint64_t> m_ids;
    long m_position = 0;
};

class AcDbBlockReference : public AcDbEntity {
public:
    // The caller deletes it.
    AcDbObjectIterator* attributeIterator() const;
    AcDbBlockReference();
    AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId blockTableRecord);
    AcDbObjectId blockTableRecord() const;
    Acad::ErrorStatus setBlockTableRecord(AcDbObjectId id);
    AcGePoint3d position() const;
    Acad::ErrorStatus setPosition(const AcGePoint3d& point);
    double rotation() const;
    Acad::ErrorStatus setRotation(double radians);
    AcGeScale3d scaleFactors() const;
    static AcRxClass* desc();
    static AcDbBlockReference* cast(AcRxObject* object);
    explicit AcDbBlockReference(const AcDbResident& resident);
};

// A reference repeated in a grid of columns and rows (MINSERT).
class AcDbMInsertBlock : public AcDbBlockReference {
public:
    Adesk::UInt16 columns() const;
    Adesk::UInt16 rows() const;
    static AcRxClass* desc();
    static AcDbMInsertBlock* cast(AcRxObject* object);
    explicit AcDbMInsertBlock(const AcDbResident& resident);
};

