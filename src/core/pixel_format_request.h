// The requests of a pixel-format (frame-buffer configuration) search that the window-system layers
// drop one by one when the driver has nothing that matches.
#ifndef VINDRA_SRC_CORE_PIXEL_FORMAT_REQUEST_H
#define VINDRA_SRC_CORE_PIXEL_FORMAT_REQUEST_H

#include "vindra/context.h"

namespace vindra {

// Bits per channel of one attempt; all zero: the attempt asks for no colour at all.
struct ColourBits {
    int red;
    int green;
    int blue;
    int alpha;
    bool floatingPoint;
};

struct PixelFormatRequest {
    bool multisample;
    bool floatColor;
    bool bits16;
    bool bits10;
    bool bits8;

    // Everything the host asked for, and 8-bit colour, which is tried even when nothing was asked.
    static PixelFormatRequest From(const ContextInitData& init);

    // What the next attempt asks for: the first colour request still standing (16-bit float, 16, 10
    // with 2 alpha bits, 8), and 8 samples per pixel while multisampling stands, else none (0). Each
    // layer only spells these in its own attribute tokens.
    ColourBits Colour() const;
    int Samples() const;

    // Drops the first request still standing, with the warning "<api> failed to find ... pixel format";
    // false when nothing is left to drop. Multisampling goes before any colour request, and 10 bits are
    // tried only after 16 bits failed.
    bool DropOne(const char* api);
};

}  // namespace vindra

#endif
