#include "core/log_message.h"

#include <cstdarg>

#include "tamrik/tamrik.h"

namespace vindra {

int32_t LogMessage(MessageLevel level, const char* format, ...) {
    int (*sink)(const char*, va_list) = vmsgwarn;
    switch (static_cast<int32_t>(level)) {
        case 0:
            sink = vmsgcont;
            break;
        case 1:
            sink = vmsgdebug;
            break;
        case 2:
            sink = vmsginfo;
            break;
        case 3:
            sink = vmsgwarn;
            break;
        case 4:
            sink = vmsgerror;
            break;
        default:
            break;  // unknown levels are shown as warnings rather than lost
    }
    va_list args;
    va_start(args, format);
    int32_t result = sink(format, args);
    va_end(args);
    return result;
}

}  // namespace vindra
