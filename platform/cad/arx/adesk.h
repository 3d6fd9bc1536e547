#pragma once

#include <cstdint>

// Basic types of the host interface.
namespace Adesk {
using Int8 = std::int8_t;
using Int16 = std::int16_t;
using Int32 = std::int32_t;
using UInt8 = std::uint8_t;
using UInt16 = std::uint16_t;
using UInt32 = std::uint32_t;
using Boolean = bool;
inline constexpr bool kFalse = false;
inline constexpr bool kTrue = true;
} // namespace Adesk

using ACHAR = char;
// Opaque handles of the window system: a module instance and a window.
using HINSTANCE = void*;
using HWND = void*;
