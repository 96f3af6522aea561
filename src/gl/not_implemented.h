// Answer of an operation whose layer is not built yet: reports "<operation>: not implemented" at error
// level and answers NotSupported (null for factories), so a host learns it at once.
#ifndef VINDRA_SRC_GL_NOT_IMPLEMENTED_H
#define VINDRA_SRC_GL_NOT_IMPLEMENTED_H

#include <type_traits>

#include "core/log_message.h"

namespace vindra {

template <typename Result>
Result NotImplemented(const char* operation) {
    LogMessage(MessageLevel::Error, "%s: not implemented", operation);
    if constexpr (std::is_pointer_v<Result>)
        return nullptr;
    else
        return static_cast<Result>(ResultCode::NotSupported);
}

}  // namespace vindra

#endif
