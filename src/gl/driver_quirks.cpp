#include "gl/driver_quirks.h"

#include <cstring>

#include "core/log_message.h"

namespace vindra {

namespace {

bool StartsWith(const char* text, const char* prefix) {
    return text != nullptr && std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}
bool Contains(const char* text, const char* part) { return text != nullptr && std::strstr(text, part) != nullptr; }

// Indexed by DriverQuirk.
constexpr DriverQuirkInfo kQuirks[] = {
    {DriverQuirk::NvidiaClientStorageInHostMemory, "nvidia-client-storage-in-host-memory", "NVIDIA",
     "buffers made with glBufferStorage and GL_CLIENT_STORAGE_BIT are placed in host memory; draws from them "
     "are slow",
     "stream and dynamic buffers get mutable storage (glBufferData), which leaves the placement to the driver"},
    {DriverQuirk::AmdWriteMappingStalls, "amd-write-mapping-stalls", "AMD, ATI",
     "a write mapping of a whole buffer waits until the GPU is done with the old contents",
     "MapBuffer for writing adds GL_MAP_INVALIDATE_BUFFER_BIT: the host rewrites the buffer anyway"},
    {DriverQuirk::MesaMakeCurrentOnAnyThread, "mesa-make-current-on-any-thread", "Mesa (GLX)",
     "glXMakeCurrent of a context that is current on another thread succeeds, and two threads then corrupt it",
     "the GLX layer records which thread each context is current on and refuses the second thread itself"},
    {DriverQuirk::MesaSwapIntervalQueryCrashes, "mesa-swap-interval-query-crashes", "Mesa (GLX)",
     "glXQueryDrawable with GLX_SWAP_INTERVAL_EXT crashes the process",
     "the interval is read with glXGetSwapIntervalMESA, or the last value the context set stands in"},
    {DriverQuirk::MesaNoExchangeSwapConfigs, "mesa-no-exchange-swap-configs",
     "Mesa software rasteriser (llvmpipe, "
     "softpipe)",
     "no frame-buffer configuration has GLX_SWAP_EXCHANGE_OML, so asking for one finds nothing",
     "the swap method is a preference: the configuration choice drops it with a warning, and the context "
     "reports the method it got"},
};
static_assert(sizeof kQuirks / sizeof kQuirks[0] == kDriverQuirkCount, "one entry per DriverQuirk");

}  // namespace

const DriverQuirkInfo& DriverQuirks::Info(DriverQuirk quirk) { return kQuirks[static_cast<uint32_t>(quirk)]; }

DriverQuirks DriverQuirks::Detect(GpuVendor vendor, const char* vendorString, const char* renderer) {
    DriverQuirks quirks;
    quirks.Set(DriverQuirk::NvidiaClientStorageInHostMemory, vendor == GpuVendor::Nvidia);
    quirks.Set(DriverQuirk::AmdWriteMappingStalls, vendor == GpuVendor::Amd);
    bool mesa = StartsWith(vendorString, "Mesa") || Contains(renderer, "Mesa") || Contains(renderer, "llvmpipe") ||
                Contains(renderer, "softpipe");
    // GLX facts; the WGL layer never asks for them.
    quirks.Set(DriverQuirk::MesaMakeCurrentOnAnyThread, mesa);
    quirks.Set(DriverQuirk::MesaSwapIntervalQueryCrashes, mesa);
    quirks.Set(DriverQuirk::MesaNoExchangeSwapConfigs,
               Contains(renderer, "llvmpipe") || Contains(renderer, "softpipe"));
    return quirks;
}

void DriverQuirks::Log(const char* contextName) const {
    for (const DriverQuirkInfo& quirk : kQuirks)
        if (Has(quirk.id))
            LogMessage(MessageLevel::Debug, "GL: context \"%s\": driver quirk %s (%s): %s", contextName, quirk.name,
                       quirk.drivers, quirk.reason);
}

}  // namespace vindra
