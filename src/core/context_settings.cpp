#include "core/context_settings.h"

namespace vindra {

ContextSettings ContextSettings::From(const ContextInitData& init) {
    return ContextSettings{init.majorVersion, init.minorVersion, init.coreProfile, init.swapExchange};
}

std::array<int, 8> ContextSettings::Attributes() const {
    if (!coreProfile || majorVersion <= 0) return {};
    return {kContextMajorVersionToken,
            majorVersion,
            kContextMinorVersionToken,
            minorVersion,
            kContextProfileMaskToken,
            kContextCoreProfileBit,
            0,
            0};
}

}  // namespace vindra
