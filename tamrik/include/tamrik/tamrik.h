// tamrik: the host's message library.
//
// vindra reports every message through the five C functions below, one per level. Any host may ship
// its own tamrik library with the same five symbols; this one formats each message and hands it to a
// sink, by default one line on stderr with a level tag.
#ifndef TAMRIK_TAMRIK_H
#define TAMRIK_TAMRIK_H

#include <stdarg.h>

#if defined(_WIN32)
#if defined(TAMRIK_BUILDING_LIBRARY)
#define TAMRIK_API __declspec(dllexport)
#else
#define TAMRIK_API __declspec(dllimport)
#endif
#else
#define TAMRIK_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/// Each takes a printf format and its arguments. The result is non-zero when the message was taken
/// and 0 when its level lies below the minimum level (vindra then skips fetching driver logs).
TAMRIK_API int vmsgcont(const char* format, va_list args);   ///< level 0: continuation line
TAMRIK_API int vmsgdebug(const char* format, va_list args);  ///< level 1
TAMRIK_API int vmsginfo(const char* format, va_list args);   ///< level 2
TAMRIK_API int vmsgwarn(const char* format, va_list args);   ///< level 3
TAMRIK_API int vmsgerror(const char* format, va_list args);  ///< level 4

#ifdef __cplusplus
}  // extern "C"

namespace tamrik {

/// Receives each formatted message that passes the minimum level. `text` is valid during the call only.
using Sink = void (*)(int level, const char* text, void* user);

/// Installs a sink (null restores the stderr writer). Safe to call from any thread.
TAMRIK_API void SetSink(Sink sink, void* user);

/// Messages below `level` are dropped and their function returns 0. Continuation lines (level 0) follow
/// the level of the message they continue. Default 0: everything passes.
TAMRIK_API void SetMinimumLevel(int level);
TAMRIK_API int GetMinimumLevel();

}  // namespace tamrik
#endif

#endif  // TAMRIK_TAMRIK_H
