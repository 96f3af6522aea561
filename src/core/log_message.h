// The library's one way to say something: messages go, unformatted, to the host's tamrik library.
#ifndef VINDRA_SRC_CORE_LOG_MESSAGE_H
#define VINDRA_SRC_CORE_LOG_MESSAGE_H

#include <cstdint>

#include "vindra/types.h"

#if defined(__GNUC__)
#define VINDRA_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#else
#define VINDRA_PRINTF_FORMAT(f, a)
#endif

namespace vindra {

// Hands format and arguments to the tamrik function of `level` (0 continuation ... 4 error; any other
// value goes to the warning function) and returns that function's result.
int32_t LogMessage(MessageLevel level, const char* format, ...) VINDRA_PRINTF_FORMAT(2, 3);

}  // namespace vindra

#endif
