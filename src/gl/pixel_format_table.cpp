#include "gl/pixel_format_table.h"

#include <GL/glew.h>

#include "gl/enum_argument.h"

namespace vindra {
namespace {

constexpr int32_t R = GL_RED, G = GL_GREEN, B = GL_BLUE, A = GL_ALPHA, ONE = GL_ONE;

// clang-format off
constexpr PixelFormatRow kRows[kPixelFormatCount] = {
    {"L8", GL_R8, GL_RED, GL_UNSIGNED_BYTE, {R, R, R, ONE}, 1, false},
    {"R8", GL_R8, GL_RED, GL_UNSIGNED_BYTE, {}, 1, true},
    {"LA8", GL_RG8, GL_RG, GL_UNSIGNED_BYTE, {R, R, R, G}, 2, false},
    {"RG8", GL_RG8, GL_RG, GL_UNSIGNED_BYTE, {}, 2, false},
    {"RGB8", GL_RGB8, GL_RGB, GL_UNSIGNED_BYTE, {}, 3, true},
    {"RGBA8", GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, {}, 4, true},
    {"BGRA8", GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, {}, 4, true},
    {"L16", GL_R16, GL_RED, GL_UNSIGNED_SHORT, {R, R, R, ONE}, 2, false},
    {"R16", GL_R16, GL_RED, GL_UNSIGNED_SHORT, {}, 2, true},
    {"LA16", GL_RG16, GL_RG, GL_UNSIGNED_SHORT, {R, R, R, G}, 4, false},
    {"RG16", GL_RG16, GL_RG, GL_UNSIGNED_SHORT, {}, 4, false},
    {"RGB16", GL_RGB16, GL_RGB, GL_UNSIGNED_SHORT, {}, 6, true},
    {"RGBA16", GL_RGBA16, GL_RGBA, GL_UNSIGNED_SHORT, {}, 8, true},
    {"L16F", GL_R16F, GL_RED, GL_HALF_FLOAT, {R, R, R, ONE}, 2, false},
    {"R16F", GL_R16F, GL_RED, GL_HALF_FLOAT, {}, 2, true},
    {"LA16F", GL_RG16F, GL_RG, GL_HALF_FLOAT, {R, R, R, G}, 4, false},
    {"RG16F", GL_RG16F, GL_RG, GL_HALF_FLOAT, {}, 4, false},
    {"RGB16F", GL_RGB16F, GL_RGB, GL_HALF_FLOAT, {}, 6, true},
    {"RGBA16F", GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, {}, 8, true},
    {"L32F", GL_R32F, GL_RED, GL_FLOAT, {R, R, R, ONE}, 4, false},
    {"R32F", GL_R32F, GL_RED, GL_FLOAT, {}, 4, true},
    {"LA32F", GL_RG32F, GL_RG, GL_FLOAT, {R, R, R, G}, 8, false},
    {"RG32F", GL_RG32F, GL_RG, GL_FLOAT, {}, 8, false},
    {"RGB32F", GL_RGB32F, GL_RGB, GL_FLOAT, {}, 12, true},
    {"RGBA32F", GL_RGBA32F, GL_RGBA, GL_FLOAT, {}, 16, true},
    {"R32UI", GL_R32UI, GL_RED_INTEGER, GL_UNSIGNED_INT, {}, 4, false},
    {"RG32UI", GL_RG32UI, GL_RG_INTEGER, GL_UNSIGNED_INT, {}, 8, true},
    {"RGBA32UI", GL_RGBA32UI, GL_RGBA_INTEGER, GL_UNSIGNED_INT, {}, 16, false},
    {"RGB10A2", GL_RGB10_A2, GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV, {}, 4, false},
    {"Depth16", GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, {}, 2, false},
    {"Depth32F", GL_DEPTH_COMPONENT32F, GL_DEPTH_COMPONENT, GL_FLOAT, {}, 4, false},
    {"Stencil8", GL_STENCIL_INDEX8, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, {}, 1, false},
    {"Depth24Stencil8", GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, {}, 4, false},
    {"Depth32FStencil8", GL_DEPTH32F_STENCIL8, GL_DEPTH_STENCIL, GL_FLOAT_32_UNSIGNED_INT_24_8_REV, {}, 8, false},
    {"BGRA16", GL_RGBA16, GL_RGBA, GL_UNSIGNED_SHORT, {B, G, R, A}, 8, false},
};
// clang-format on

}  // namespace

const PixelFormatRow* FindPixelFormat(PixelFormat format, const char* operation) {
    if (!IsValidEnum(format, kPixelFormatCount, operation, "PixelFormat")) return nullptr;
    return &kRows[static_cast<int32_t>(format)];
}

FormatKind KindOf(PixelFormat format) {
    switch (format) {
        case PixelFormat::Depth16:
        case PixelFormat::Depth32F: return FormatKind::Depth;
        case PixelFormat::Stencil8: return FormatKind::Stencil;
        case PixelFormat::Depth24Stencil8:
        case PixelFormat::Depth32FStencil8: return FormatKind::DepthStencil;
        default: return FormatKind::Colour;
    }
}

}  // namespace vindra
