// The shape every Release... operation of the context shares.
#ifndef VINDRA_SRC_GL_RELEASE_OBJECT_H
#define VINDRA_SRC_GL_RELEASE_OBJECT_H

#include <cstdint>

#include "core/log_message.h"

namespace vindra {

// Destroys the object the host's pointer holds and nulls the pointer. A pointer holding null is
// accepted (0, nothing done); a null address is a host bug, reported under `operation` and answered
// InvalidValue. `beforeDelete` runs on the object first (unbinding it where the context records it).
template <typename Concrete, typename Interface, typename BeforeDelete>
uint32_t ReleaseObject(Interface** address, const char* operation, BeforeDelete beforeDelete) {
    if (address == nullptr) {
        LogMessage(MessageLevel::Error, "%s: null address", operation);
        return static_cast<uint32_t>(ResultCode::InvalidValue);
    }
    if (*address == nullptr) return 0;
    Concrete* object = static_cast<Concrete*>(*address);
    beforeDelete(object);
    delete object;
    *address = nullptr;
    return 0;
}

template <typename Concrete, typename Interface>
uint32_t ReleaseObject(Interface** address, const char* operation) {
    return ReleaseObject<Concrete>(address, operation, [](Concrete*) {});
}

}  // namespace vindra

#endif
