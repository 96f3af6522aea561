// The GL side of each PixelFormat: storage, transfer format and type, swizzle and texel size. Shared by
// textures, framebuffers and the copies.
#ifndef VINDRA_SRC_GL_PIXEL_FORMAT_TABLE_H
#define VINDRA_SRC_GL_PIXEL_FORMAT_TABLE_H

#include <cstdint>

#include "vindra/resources.h"

namespace vindra {

struct PixelFormatRow {
    const char* name;
    uint32_t internalFormat;
    uint32_t pixelFormat;  // for transfers
    uint32_t pixelType;
    int32_t swizzle[4];       // GL_TEXTURE_SWIZZLE_RGBA; all 0 for none
    uint32_t bytesPerTexel;   // in host memory and pixel buffers, rows packed
    bool computeImageAtInit;  // Init makes the OpenCL image at once
};

enum class FormatKind { Colour, Depth, Stencil, DepthStencil };

constexpr int kPixelFormatCount = 35;

// The row of `format`, or null outside the table (reported as "<operation>: invalid PixelFormat <n>").
const PixelFormatRow* FindPixelFormat(PixelFormat format, const char* operation);
// What a renderbuffer or attachment of `format` holds; the format must be in the table.
FormatKind KindOf(PixelFormat format);

}  // namespace vindra

#endif
