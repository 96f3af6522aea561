// Creating and deleting a headless context against the same work done with GLX directly: the same
// configuration, a 256x256 unmapped window of its visual, a context with an empty attribute list,
// the three framebuffer names and pixel-store settings every vindra context makes, and the teardown.
// The process-wide bootstrap (X display, GLEW) runs once before anything is timed.
#include <GL/glew.h>
#include <GL/glxew.h>

#include <cstdio>

#include "context_bench_common.h"
#include "ratio_reporter.h"
#include "vindra/context.h"

namespace {

// The raw side keeps its own X connection, as a host with its own GLX code would.
Display* display = nullptr;

// The first configuration with a visual among those matching `attributes`; null when none does.
GLXFBConfig ChooseConfig(const int* attributes) {
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(display, DefaultScreen(display), attributes, &count);
    GLXFBConfig found = nullptr;
    for (int i = 0; configs != nullptr && i < count && found == nullptr; ++i) {
        int visual = 0;
        glXGetFBConfigAttrib(display, configs[i], GLX_VISUAL_ID, &visual);
        if (visual != 0) found = configs[i];
    }
    if (configs != nullptr) XFree(configs);
    return found;
}

// One full create-use-destroy round; false when a step failed.
bool RawCreateAndDestroy() {
    // clang-format off
    static const int kCopySwap[] = {GLX_X_RENDERABLE, True, GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT, GLX_DOUBLEBUFFER, True,
                                    GLX_DEPTH_SIZE, 24, GLX_SWAP_METHOD_OML, GLX_SWAP_COPY_OML, GLX_RED_SIZE, 8,
                                    GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, GLX_ALPHA_SIZE, 8, None};
    // clang-format on
    // Drivers without copy-swap configurations (Mesa's software rasteriser) get the same list without
    // the swap method, the step vindra falls back to as well.
    // clang-format off
    static const int kAnySwap[] = {GLX_X_RENDERABLE, True, GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT, GLX_DOUBLEBUFFER, True,
                                   GLX_DEPTH_SIZE, 24, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8,
                                   GLX_ALPHA_SIZE, 8, None};
    // clang-format on
    static const int kNoAttributes[] = {None, None};

    GLXFBConfig config = ChooseConfig(kCopySwap);
    if (config == nullptr) config = ChooseConfig(kAnySwap);
    if (config == nullptr) return false;

    XVisualInfo* visual = glXGetVisualFromFBConfig(display, config);
    if (visual == nullptr) return false;
    Window root = RootWindow(display, visual->screen);
    Colormap colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    XSetWindowAttributes windowAttributes{};
    windowAttributes.colormap = colormap;
    Window window = XCreateWindow(display, root, 0, 0, 256, 256, 0, visual->depth, InputOutput, visual->visual,
                                  CWColormap | CWBorderPixel, &windowAttributes);
    XFree(visual);

    GLXContext context = glXCreateContextAttribsARB(display, config, nullptr, True, kNoAttributes);
    bool current = context != nullptr && glXMakeCurrent(display, window, context);
    if (current) {
        // What every vindra context asks and makes once it is current.
        benchmark::DoNotOptimize(glGetString(GL_VENDOR));
        GLint profileMask = 0;
        glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profileMask);
        benchmark::DoNotOptimize(profileMask);
        GLuint framebuffers[3] = {0, 0, 0};
        glGenFramebuffers(3, framebuffers);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glDeleteFramebuffers(3, framebuffers);
        glXMakeCurrent(display, None, nullptr);
    }
    if (context != nullptr) glXDestroyContext(display, context);
    XDestroyWindow(display, window);
    XFreeColormap(display, colormap);
    return current;
}

void BM_Raw_CreateContext(benchmark::State& state) {
    for (auto _ : state) {
        if (!RawCreateAndDestroy()) {
            state.SkipWithError("raw GLX context creation failed");
            break;
        }
    }
    // The last round's teardown requests may still be queued: they must not land in the next benchmark.
    XSync(display, False);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    // Bootstrap: vindra opens its display and initialises GLEW (whose GLX and GL entry points the raw
    // side uses too) on its first context.
    vindra::ContextInitData init = vindra_bench::WindowlessInit();
    vindra::Context* first = vindra::CreateContext(init);
    if (first == nullptr) {
        std::fprintf(stderr, "create_context_bench: CreateContext failed (is an X server running?)\n");
        return 1;
    }
    delete first;
    display = XOpenDisplay(nullptr);
    if (display == nullptr || glXCreateContextAttribsARB == nullptr) {
        std::fprintf(stderr, "create_context_bench: no X display or no GLX_ARB_create_context\n");
        return 1;
    }
    // The raw side's own first round, so that neither side pays a first-time cost in its timing.
    if (!RawCreateAndDestroy()) {
        std::fprintf(stderr, "create_context_bench: raw GLX context creation failed\n");
        return 1;
    }

    vindra_bench::WithMinimum(
        benchmark::RegisterBenchmark("BM_Vindra/CreateContext", vindra_bench::BM_Vindra_CreateContext))
        ->Unit(benchmark::kMicrosecond);
    vindra_bench::WithMinimum(benchmark::RegisterBenchmark("BM_Raw/CreateContext", BM_Raw_CreateContext))
        ->Unit(benchmark::kMicrosecond);
    vindra_bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios("Context creation + deletion: vindra vs raw GLX", 0);

    XCloseDisplay(display);
    benchmark::Shutdown();
    return 0;
}
