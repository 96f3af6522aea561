// Known driver behaviours the library works around, in one list: each entry names the drivers it
// applies to, what goes wrong without the workaround and why the workaround is what it is. A context
// decides its set once, when it is created, from the GL vendor and renderer strings.
#ifndef VINDRA_SRC_GL_DRIVER_QUIRKS_H
#define VINDRA_SRC_GL_DRIVER_QUIRKS_H

#include <cstdint>

#include "vindra/types.h"

namespace vindra {

enum class DriverQuirk : uint32_t {
    // NVIDIA: client-storage buffers live in host memory, so draws from them are slow.
    NvidiaClientStorageInHostMemory,
    // AMD: a write mapping waits for the GPU unless it discards the old contents.
    AmdWriteMappingStalls,
    // Mesa GLX: making a context current on a second thread is not refused, and two threads then
    // drive one context.
    MesaMakeCurrentOnAnyThread,
    // Mesa GLX: asking glXQueryDrawable for GLX_SWAP_INTERVAL_EXT crashes.
    MesaSwapIntervalQueryCrashes,
    // Mesa's software rasteriser (drisw): no frame-buffer configuration with exchange swaps.
    MesaNoExchangeSwapConfigs,
};
constexpr uint32_t kDriverQuirkCount = 5;

struct DriverQuirkInfo {
    DriverQuirk id;
    const char* name;
    const char* drivers;  // which drivers it applies to
    const char* symptom;  // what goes wrong without the workaround
    const char* reason;   // the workaround, and why it is that one
};

class DriverQuirks {
public:
    // The quirks of a driver of `vendor` (already read from GL_VENDOR) that reports these GL_VENDOR and
    // GL_RENDERER strings (either may be null).
    static DriverQuirks Detect(GpuVendor vendor, const char* vendorString, const char* renderer);
    static const DriverQuirkInfo& Info(DriverQuirk quirk);

    bool Has(DriverQuirk quirk) const { return (bits & Bit(quirk)) != 0; }
    // Tests switch a workaround on or off to reach the path of another driver.
    void Set(DriverQuirk quirk, bool on) { bits = on ? bits | Bit(quirk) : bits & ~Bit(quirk); }
    // One debug-level line per quirk that applies, under the context's name.
    void Log(const char* contextName) const;

private:
    static constexpr uint32_t Bit(DriverQuirk quirk) { return 1u << static_cast<uint32_t>(quirk); }
    uint32_t bits = 0;
};

}  // namespace vindra

#endif
