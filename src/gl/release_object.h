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

// As ReleaseObject, for objects a host's pointer is checked against before it is used: `find` answers the
// object, or null after reporting a pointer that is not a live one of them, which is then left alone
// (InvalidValue).
template <typename Concrete, typename Interface, typename Find, typename BeforeDelete>
uint32_t ReleaseLiveObject(Interface** address, const char* operation, Find find, BeforeDelete beforeDelete) {
    if (address != nullptr && *address != nullptr && find(*address, operation) == nullptr)
        return static_cast<uint32_t>(ResultCode::InvalidValue);
    return ReleaseObject<Concrete>(address, operation, beforeDelete);
}

}  // namespace vindra

#endif
