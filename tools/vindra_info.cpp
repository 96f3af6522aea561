// vindra-info: creates a context and prints what the device offers.
//   vindra-info [--window]   headless by default; --window renders to a mapped window of its own
#if defined(_WIN32)
#include <windows.h>
#else
#include <X11/Xlib.h>
#undef Success  // Xlib's macro would hide vindra::ResultCode::Success
#endif

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "vindra/vindra.h"

namespace {

std::string StringInfo(vindra::Context& context, vindra::ContextInfo query) {
    size_t size = 0;
    context.GetInfo(query, 0, nullptr, &size);
    if (size == 0) return "(unknown)";
    std::vector<char> text(size);
    if (context.GetInfo(query, text.size(), text.data(), nullptr) != vindra::ResultCode::Success) return "(unknown)";
    return text.data();
}

template <typename T, size_t N = 1>
bool Query(vindra::Context& context, vindra::ContextInfo query, T (&values)[N]) {
    return context.GetInfo(query, sizeof values, values, nullptr) == vindra::ResultCode::Success;
}

void PrintInteger(vindra::Context& context, const char* label, vindra::ContextInfo query) {
    int32_t value[1] = {0};
    if (Query(context, query, value))
        std::printf("%-26s %d\n", label, value[0]);
    else
        std::printf("%-26s (unknown)\n", label);
}

void PrintMemory(vindra::Context& context, const char* label, vindra::ContextInfo query) {
    uint64_t bytes[1] = {0};
    if (Query(context, query, bytes))
        std::printf("%-26s %" PRIu64 " MiB\n", label, bytes[0] / (1024 * 1024));
    else
        std::printf("%-26s (unknown)\n", label);
}

void PrintDevice(vindra::Context& context) {
    std::printf("%-26s %s\n", "Renderer", StringInfo(context, vindra::ContextInfo::Renderer).c_str());
    std::printf("%-26s %s\n", "Version", StringInfo(context, vindra::ContextInfo::Version).c_str());
    int32_t bits[4] = {0, 0, 0, 0};
    if (Query(context, vindra::ContextInfo::ColorBits, bits))
        std::printf("%-26s R%d G%d B%d A%d\n", "Colour bits", bits[0], bits[1], bits[2], bits[3]);
    PrintInteger(context, "Samples", vindra::ContextInfo::Samples);
    PrintInteger(context, "Max samples", vindra::ContextInfo::MaxSamples);
    PrintInteger(context, "Max texture size", vindra::ContextInfo::MaxTextureSize);
    PrintInteger(context, "Max texture image units", vindra::ContextInfo::MaxTextureImageUnits);
    PrintMemory(context, "Total video memory", vindra::ContextInfo::TotalVideoMemory);
    PrintMemory(context, "Available video memory", vindra::ContextInfo::AvailableVideoMemory);
    uint8_t tessellation[1] = {0};
    Query(context, vindra::ContextInfo::TessellationSupport, tessellation);
    std::printf("%-26s %s\n", "Tessellation", tessellation[0] ? "yes" : "no");
    std::printf("%-26s %s\n", "Compute version", StringInfo(context, vindra::ContextInfo::ComputeVersion).c_str());
    std::printf("%-26s %s\n", "Compute device", StringInfo(context, vindra::ContextInfo::ComputeDeviceName).c_str());
    PrintInteger(context, "Compute units", vindra::ContextInfo::ComputeUnits);
    uint64_t localMemory[1] = {0};
    if (Query(context, vindra::ContextInfo::ComputeLocalMemSize, localMemory))
        std::printf("%-26s %" PRIu64 " KiB\n", "Compute local memory", localMemory[0] / 1024);
    else
        std::printf("%-26s (unknown)\n", "Compute local memory");
}

// A visible window of the tool's own, as a host would render to.
struct ShownWindow {
    vindra::NativeWindow window{};
#if defined(_WIN32)
    bool Open() {
        window = CreateWindowExA(0, "STATIC", "vindra-info", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 240, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        return window != nullptr;
    }
    ~ShownWindow() {
        if (window != nullptr) DestroyWindow(window);
    }
#else
    Display* display = nullptr;
    bool Open() {
        display = XOpenDisplay(nullptr);
        if (display == nullptr) return false;
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 320, 240, 0, 0, 0);
        XMapWindow(display, window);
        XSync(display, False);
        return true;
    }
    ~ShownWindow() {
        if (display == nullptr) return;
        XDestroyWindow(display, window);
        XCloseDisplay(display);
    }
#endif
};

}  // namespace

int main(int argc, char** argv) {
    bool withWindow = argc > 1 && std::strcmp(argv[1], "--window") == 0;
    if (argc > 1 && !withWindow) {
        std::fprintf(stderr, "usage: %s [--window]\n", argv[0]);
        return 2;
    }

    ShownWindow shown;
    if (withWindow && !shown.Open()) {
        std::fprintf(stderr, "vindra-info: cannot open a window\n");
        return 1;
    }

    vindra::ContextInitData init{};
    init.name = "vindra-info";
    init.type = 1;
    init.window = shown.window;
    init.clPlatformIndex = -1;
    init.clDeviceIndex = -1;
    vindra::Context* context = vindra::CreateContext(init);
    if (context == nullptr) {
        std::fprintf(stderr, "vindra-info: no context could be created (see the messages above)\n");
        return 1;
    }
    std::printf("vindra context \"%s\" (%s)\n", context->GetName(), withWindow ? "window" : "headless");
    PrintDevice(*context);
    delete context;
    return 0;
}
