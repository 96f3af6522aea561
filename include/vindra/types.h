// vindra: status codes, enumerations and platform types shared by every public header.
#ifndef VINDRA_TYPES_H
#define VINDRA_TYPES_H

// The C headers, so that a host built without a C++ standard library can include these too.
#include <stddef.h>
#include <stdint.h>

#include "vindra/abi.h"

#if defined(_WIN32)
struct HWND__;
#endif

// Xlib defines `Success` and `Always` as macros. These headers may follow <X11/Xlib.h>, so the macros
// are set aside while the enumerations are declared. A host file that includes Xlib and then names
// vindra::ResultCode::Success or vindra::CompareFunc::Always has to #undef the macro first (or compare
// with ResultCode{}, which is Success).
#pragma push_macro("Success")
#pragma push_macro("Always")
#undef Success
#undef Always

namespace vindra {

// The window a context renders to: an HWND on Windows, an X11 Window id on Linux.
// On Linux 0 asks for a headless context (the library makes a small unmapped window of its own).
#if defined(_WIN32)
using NativeWindow = HWND__*;
#else
using NativeWindow = unsigned long;
#endif

/// Status of most operations. The values 2 to 5 mirror the GL errors of the same names.
enum class ResultCode : uint32_t {
    Success = 0,
    Failed = 1,            ///< a platform call failed, or a GL error outside the four below
    InvalidEnum = 2,       ///< an enumerated argument outside its table
    InvalidValue = 3,      ///< a null or out-of-range argument, unknown query, buffer too small
    InvalidOperation = 4,  ///< the object has no GL/CL object yet, or there is no CL state
    OutOfMemory = 5,
    NotSupported = 6,  ///< a value type or operation the implementation does not offer
    NotReady = 7,      ///< a fence that has not signalled yet
};

/// Level of a message handed to the host's message library.
enum class MessageLevel : int32_t {
    Continuation = 0,  ///< belongs to the message just before (driver logs, tables)
    Debug = 1,
    Info = 2,
    Warning = 3,
    Error = 4,
};

/// Vendor of the GL implementation, taken from the start of GL_VENDOR.
enum class GpuVendor : uint32_t { Other = 0, Nvidia = 1, Amd = 2, Apple = 3, Intel = 4 };

/// Queries of Context::GetInfo.
enum class ContextInfo : uint32_t {
    MaxTextureSize = 0,         ///< i32
    MaxTextureImageUnits = 1,   ///< i32
    ColorBits = 2,              ///< four i32: red, green, blue, alpha
    Samples = 3,                ///< i32
    MaxSamples = 4,             ///< i32
    Renderer = 5,               ///< NUL-terminated string
    Version = 6,                ///< "OpenGL <version>", NUL-terminated
    ComputeVersion = 7,         ///< OpenCL device version, or "OpenCL: Unknown"
    ComputeQueue = 8,           ///< cl_command_queue (8 bytes)
    ComputeContext = 9,         ///< cl_context (8 bytes)
    ComputePlatform = 10,       ///< cl_platform_id (8 bytes)
    ComputeDevice = 11,         ///< cl_device_id (8 bytes)
    ComputeLocalMemSize = 12,   ///< u64
    ComputeUnits = 13,          ///< i32
    ComputeDeviceName = 14,     ///< string
    TessellationSupport = 15,   ///< one byte, 1 or 0
    TotalVideoMemory = 16,      ///< u64 bytes
    AvailableVideoMemory = 17,  ///< u64 bytes
    Extension = 18,             ///< data: NUL-terminated GL extension name; Success when supported
};

enum class CompareFunc : int32_t {
    Never = 0,
    Less = 1,
    Equal = 2,
    LessEqual = 3,
    Greater = 4,
    NotEqual = 5,
    GreaterEqual = 6,
    Always = 7,
};

enum class StencilOp : int32_t {
    Keep = 0,
    Zero = 1,
    Replace = 2,
    Increment = 3,
    IncrementWrap = 4,
    Decrement = 5,
    DecrementWrap = 6,
    Invert = 7,
};

enum class BlendEquation : int32_t { Add = 0, Subtract = 1, ReverseSubtract = 2, Min = 3, Max = 4 };

enum class BlendFactor : int32_t {
    Zero = 0,
    One = 1,
    SrcColor = 2,
    OneMinusSrcColor = 3,
    DstColor = 4,
    OneMinusDstColor = 5,
    SrcAlpha = 6,
    OneMinusSrcAlpha = 7,
    DstAlpha = 8,
    OneMinusDstAlpha = 9,
    ConstantColor = 10,
    OneMinusConstantColor = 11,
    ConstantAlpha = 12,
    OneMinusConstantAlpha = 13,
    SrcAlphaSaturate = 14,
    Src1Color = 15,
    OneMinusSrc1Color = 16,
    Src1Alpha = 17,
    OneMinusSrc1Alpha = 18,
};

enum class FillMode : int32_t { Fill = 0, Line = 1 };

enum class PatchParameter : int32_t { PatchVertices = 0 };

/// Bits of Context::Clear's clearFlags; other bits are ignored.
enum ClearFlags : uint32_t {
    ClearColorBuffer = 1,
    ClearDepthBuffer = 2,
    ClearStencilBuffer = 4,
};

enum class PrimitiveType : int32_t {
    Points = 0,
    Lines = 1,
    LineStrip = 2,
    Triangles = 3,
    TriangleStrip = 4,
    Patches = 5,
};

}  // namespace vindra

#pragma pop_macro("Always")
#pragma pop_macro("Success")

#endif  // VINDRA_TYPES_H
