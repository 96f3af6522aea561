// Checks an enumeration argument against its table before it is used as an index.
#ifndef VINDRA_SRC_GL_ENUM_ARGUMENT_H
#define VINDRA_SRC_GL_ENUM_ARGUMENT_H

#include <cstddef>
#include <cstdint>

#include "core/log_message.h"

namespace vindra {

// True when `value` indexes a table of `count` entries; otherwise reports
// "<operation>: invalid <typeName> <value>" at error level and answers false.
template <typename Enum>
bool IsValidEnum(Enum value, size_t count, const char* operation, const char* typeName) {
    int32_t raw = static_cast<int32_t>(value);
    if (raw >= 0 && static_cast<size_t>(raw) < count) return true;
    LogMessage(MessageLevel::Error, "%s: invalid %s %d", operation, typeName, raw);
    return false;
}

}  // namespace vindra

#endif
