// The requests of a pixel-format (frame-buffer configuration) search that the window-system layers
// drop one by one when the driver has nothing that matches.
#ifndef VINDRA_SRC_CORE_PIXEL_FORMAT_REQUEST_H
#define VINDRA_SRC_CORE_PIXEL_FORMAT_REQUEST_H

#include "vindra/context.h"

namespace vindra {

struct PixelFormatRequest {
    bool multisample;
    bool floatColor;
    bool bits16;
    bool bits10;
    bool bits8;

    // Everything the host asked for, and 8-bit colour, which is tried even when nothing was asked.
    static PixelFormatRequest From(const ContextInitData& init);

    // Drops the first request still standing, with the warning "<api> failed to find ... pixel format";
    // false when nothing is left to drop. Multisampling goes before any colour request, and 10 bits are
    // tried only after 16 bits failed.
    bool DropOne(const char* api);
};

}  // namespace vindra

#endif
