#pragma once

// Database status codes, numerically the same as the editor's own.
namespace Acad {
enum ErrorStatus : int {
    eOk = 0,
    eInvalidInput = 3,
    eInvalidOpenState = 8,
    eDuplicateKey = 10,
    eNotThatKindOfClass = 15,
    eKeyNotFound = 22,
    eNullObjectId = 24,
    eNotInDatabase = 28,
    eDuplicateRecordName = 48,
    eNotOpenForWrite = 77,
    eWasOpenForWrite = 80,
    eWasOpenForRead = 82,
    eWasErased = 84,
    eInvalidObjectId = 90,
};
} // namespace Acad
