// vindra-info: creates a context and prints what the device offers, the OpenCL platforms and devices
// included.
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

#include "tamrik/tamrik.h"
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
    void* queue = nullptr;
    bool compute = context.GetInfo(vindra::ContextInfo::ComputeQueue, sizeof queue, &queue, nullptr) ==
                   vindra::ResultCode::Success;
    std::printf("%-26s %s\n", "Compute", compute ? "OpenCL, sharing objects with GL" : "none (see the messages above)");
    std::printf("%-26s %s\n", "Compute version", StringInfo(context, vindra::ContextInfo::ComputeVersion).c_str());
    std::printf("%-26s %s\n", "Compute device", StringInfo(context, vindra::ContextInfo::ComputeDeviceName).c_str());
    PrintInteger(context, "Compute units", vindra::ContextInfo::ComputeUnits);
    uint64_t localMemory[1] = {0};
    if (Query(context, vindra::ContextInfo::ComputeLocalMemSize, localMemory))
        std::printf("%-26s %" PRIu64 " KiB\n", "Compute local memory", localMemory[0] / 1024);
    else
        std::printf("%-26s (unknown)\n", "Compute local memory");
}

constexpr const char* kFormatNames[] = {"L8",
                                        "R8",
                                        "LA8",
                                        "RG8",
                                        "RGB8",
                                        "RGBA8",
                                        "BGRA8",
                                        "L16",
                                        "R16",
                                        "LA16",
                                        "RG16",
                                        "RGB16",
                                        "RGBA16",
                                        "L16F",
                                        "R16F",
                                        "LA16F",
                                        "RG16F",
                                        "RGB16F",
                                        "RGBA16F",
                                        "L32F",
                                        "R32F",
                                        "LA32F",
                                        "RG32F",
                                        "RGB32F",
                                        "RGBA32F",
                                        "R32UI",
                                        "RG32UI",
                                        "RGBA32UI",
                                        "RGB10A2",
                                        "Depth16",
                                        "Depth32F",
                                        "Stencil8",
                                        "Depth24Stencil8",
                                        "Depth32FStencil8",
                                        "BGRA16"};

// Error messages while a probe runs: the library reports a format it cannot make, an incomplete
// framebuffer, and an OpenCL image it cannot make, at error level. The probe keeps them off the console.
int probeErrors = 0;
void CountErrors(int level, const char* text, void*) {
    probeErrors += level >= 4 && std::strncmp(text, "OpenCL: ", 8) != 0;
}

// Whether `format` makes a 16x16 texture, a framebuffer that renders into it (colour formats) or into a
// renderbuffer of it (depth and stencil formats), and an OpenCL image of the texture.
void ProbeFormat(vindra::Context& context, int32_t index, bool* texture, bool* renderTarget, bool* computeImage) {
    auto format = static_cast<vindra::PixelFormat>(index);
    probeErrors = 0;
    vindra::Texture* image = context.CreateTexture();
    *texture = image->Init(vindra::TextureDesc{format, 16, 16, 0, 0, 1, 0, 0}) == vindra::ResultCode::Success &&
               probeErrors == 0;
    *computeImage = *texture && image->GetHandle(2) != 0;
    bool depth = index >= 29 && index != 31 && index <= 33, stencil = index >= 31 && index <= 33;
    vindra::FramebufferDesc desc{depth || stencil ? nullptr : image,
                                 1,
                                 16,
                                 16,
                                 0,
                                 vindra::PixelFormat::RGBA8,
                                 depth,
                                 format,
                                 !depth && stencil,
                                 format};
    vindra::Framebuffer* framebuffer = context.CreateFramebuffer();
    probeErrors = 0;
    *renderTarget = framebuffer->Init(desc) == vindra::ResultCode::Success && probeErrors == 0;
    context.ReleaseFramebuffer(&framebuffer);
    context.ReleaseTexture(&image);
}

void PrintFormats(vindra::Context& context) {
    std::printf("%-26s %s\n", "Pixel formats", "texture / render target / OpenCL image");
    tamrik::SetSink(CountErrors, nullptr);
    std::string line;
    for (int32_t index = 0; index < 35; ++index) {
        bool texture = false, renderTarget = false, computeImage = false;
        ProbeFormat(context, index, &texture, &renderTarget, &computeImage);
        char entry[48];
        std::snprintf(entry, sizeof entry, "  %-17s %-3s / %-3s / %-3s", kFormatNames[index], texture ? "yes" : "no",
                      renderTarget ? "yes" : "no", computeImage ? "yes" : "no");
        line += entry;
        if (index % 2 == 1 || index == 34) {
            std::printf("%s\n", line.c_str());
            line.clear();
        }
    }
    tamrik::SetSink(nullptr, nullptr);
}

// The platform and device listing that a context reports as it brings compute up, kept for stdout; every
// other message goes to stderr as tamrik would write it.
std::vector<std::string> listing;
bool listingNow = false;
void KeepListing(int level, const char* text, void*) {
    if (level != 0) listingNow = std::strcmp(text, "OpenCL: Platforms & Devices") == 0;
    if (listingNow && level == 0)
        listing.push_back(text);
    else if (!listingNow)
        std::fprintf(stderr, "[vindra %d] %s\n", level, text);
}

void PrintListing() {
    std::printf("%-26s %s\n", "OpenCL platforms, devices", listing.empty() ? "(not listed)" : "(* in use)");
    for (const std::string& line : listing) std::printf("  %s\n", line.c_str());
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
    tamrik::SetSink(KeepListing, nullptr);
    vindra::Context* context = vindra::CreateContext(init);
    tamrik::SetSink(nullptr, nullptr);
    if (context == nullptr) {
        std::fprintf(stderr, "vindra-info: no context could be created (see the messages above)\n");
        return 1;
    }
    std::printf("vindra context \"%s\" (%s)\n", context->GetName(), withWindow ? "window" : "headless");
    PrintDevice(*context);
    PrintListing();
    PrintFormats(*context);
    delete context;
    return 0;
}
