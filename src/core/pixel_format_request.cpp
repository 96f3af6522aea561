#include "core/pixel_format_request.h"

#include "core/log_message.h"

namespace vindra {

PixelFormatRequest PixelFormatRequest::From(const ContextInitData& init) {
    return PixelFormatRequest{init.multisample, init.floatColor, init.deepColor, init.deepColor, true};
}

ColourBits PixelFormatRequest::Colour() const {
    if (floatColor) return {16, 16, 16, 16, true};
    if (bits16) return {16, 16, 16, 16, false};
    if (bits10) return {10, 10, 10, 2, false};
    if (bits8) return {8, 8, 8, 8, false};
    return {0, 0, 0, 0, false};
}

int PixelFormatRequest::Samples() const { return multisample ? 8 : 0; }

bool PixelFormatRequest::DropOne(const char* api) {
    if (multisample) {
        LogMessage(MessageLevel::Warning, "%s failed to find pixel format with multi sampling", api);
        multisample = false;
    } else if (floatColor) {
        LogMessage(MessageLevel::Warning, "%s failed to find 16-bit float pixel format", api);
        floatColor = false;
    } else if (bits16) {
        LogMessage(MessageLevel::Warning, "%s failed to find 16-bit pixel format", api);
        bits16 = false;
        bits10 = true;
    } else if (bits10) {
        LogMessage(MessageLevel::Warning, "%s failed to find 10-bit pixel format", api);
        bits10 = false;
    } else if (bits8) {
        LogMessage(MessageLevel::Warning, "%s failed to find 8-bit pixel format", api);
        bits8 = false;
    } else {
        return false;
    }
    return true;
}

}  // namespace vindra
