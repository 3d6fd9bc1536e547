#pragma once

#include "platform/cad/arx/dbmain.h"

// What a reference to a dynamic block stands for: a dynamic block whose parameters were changed is drawn through
// an anonymous block of its own, which remembers the block it is a state of.
class AcDbDynBlockReference {
public:
    explicit AcDbDynBlockReference(AcDbObjectId blockReferenceId);
    // True when the reference's block is a state of a dynamic block.
    bool isDynamicBlock() const;
    // The dynamic block's own record; null when the reference is to no state of one.
    AcDbObjectId dynamicBlockTableRecord() const;

private:
    AcDbObjectId m_reference;
    AcDbObjectId m_dynamicBlock;
};
