// What a context asks of the window system besides its pixel format, as the host put it in the
// creation record, and the create-context attribute list both window-system layers pass on.
#ifndef VINDRA_SRC_CORE_CONTEXT_SETTINGS_H
#define VINDRA_SRC_CORE_CONTEXT_SETTINGS_H

#include <array>
#include <cstdint>

#include "vindra/context.h"

namespace vindra {

// GLX_ARB_create_context and WGL_ARB_create_context give these tokens the same values, so one list
// serves both layers; each layer checks its own headers against them.
constexpr int kContextMajorVersionToken = 0x2091;
constexpr int kContextMinorVersionToken = 0x2092;
constexpr int kContextProfileMaskToken = 0x9126;
constexpr int kContextCoreProfileBit = 0x1;

// Side of the window the library makes, never shown, for a context without one (window 0).
constexpr int kHeadlessWindowSize = 256;

struct ContextSettings {
    int32_t majorVersion = 0;
    int32_t minorVersion = 0;
    bool coreProfile = false;
    bool swapExchange = false;  // the request; a layer may replace it with what the chosen format does

    static ContextSettings From(const ContextInitData& init);

    // For glXCreateContextAttribsARB / wglCreateContextAttribsARB: the version with the core profile
    // when both are asked for (coreProfile and a major version above 0), else nothing, so that the
    // driver's default context results. No context flags. Ends with a pair of zeros.
    std::array<int, 8> Attributes() const;
};

}  // namespace vindra

#endif
