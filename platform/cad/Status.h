#pragma once

// The host's status numbers. Callers compare by number, so the values are part of the interface.
namespace cad {

enum class ErrorStatus : int {
    Ok = 0,
    InvalidInput = 3,
    InvalidOpenState = 8,
    DuplicateKey = 10,
    NotThatKindOfClass = 15,
    KeyNotFound = 22,
    NullObjectId = 24,
    NotInDatabase = 28,
    DuplicateRecordName = 48,
    NotOpenForWrite = 77,
    WasOpenForWrite = 80,
    WasOpenForRead = 82,
    WasErased = 84,
    InvalidObjectId = 90,
};

// Result codes of the editor's interactive functions.
enum ResultCode : int {
    RtNone = 5000,
    RtNorm = 5100,
    RtError = -5001,
    RtCancel = -5002,
    RtReject = -5003,
    RtKeyword = -5005,
};

// Result-buffer value types.
enum ValueType : short {
    RtReal = 5001,
    RtPoint = 5002,
    RtShort = 5003,
    RtAngle = 5004,
    RtString = 5005,
    RtEntityName = 5006,
    RtPickSet = 5007,
    RtOrient = 5008,
    Rt3dPoint = 5009,
    RtLong = 5010,
    RtDxf0 = 5020,
};

} // namespace cad
