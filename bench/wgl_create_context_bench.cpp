// Creating and deleting a windowless context under Wine against the same work done with WGL directly:
// a hidden 256x256 window, the 8-bit copy-swap pixel format vindra asks for first, a context with an
// empty attribute list, the names and pixel-store settings every vindra context makes, and the
// teardown. The process-wide bootstrap (dummy window, GLEW) runs once before anything is timed.
#include <GL/glew.h>
#include <GL/wglew.h>
#include <windows.h>

#include <cstdio>

#include "context_bench_common.h"
#include "ratio_reporter.h"
#include "vindra/context.h"

namespace {

// One full create-use-destroy round; false when a step failed. A window takes one pixel format for
// life, so each round makes its own, as vindra does for a windowless context.
bool RawCreateAndDestroy() {
    // clang-format off
    static const int kFormat[] = {WGL_DRAW_TO_WINDOW_ARB, 1, WGL_SUPPORT_OPENGL_ARB, 1,
                                  WGL_ACCELERATION_ARB, WGL_FULL_ACCELERATION_ARB,
                                  WGL_SWAP_METHOD_ARB, WGL_SWAP_COPY_ARB, WGL_DOUBLE_BUFFER_ARB, 1,
                                  WGL_DEPTH_BITS_ARB, 24, WGL_RED_BITS_ARB, 8, WGL_GREEN_BITS_ARB, 8,
                                  WGL_BLUE_BITS_ARB, 8, WGL_ALPHA_BITS_ARB, 8, 0, 0};
    // clang-format on
    static const float kNoFloats[] = {0, 0};
    // clang-format off
    static const int kNoAttributes[] = {0, 0};
    // clang-format on

    HWND window = CreateWindowExA(0, "STATIC", "raw", WS_POPUP, 0, 0, 256, 256, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) return false;
    HDC dc = GetDC(window);
    int format = 0;
    UINT count = 0;
    PIXELFORMATDESCRIPTOR descriptor{};
    bool current = false;
    HGLRC context = nullptr;
    if (wglChoosePixelFormatARB(dc, kFormat, kNoFloats, 1, &format, &count) && count != 0 &&
        SetPixelFormat(dc, format, &descriptor)) {
        context = wglCreateContextAttribsARB(dc, nullptr, kNoAttributes);
        current = context != nullptr && wglMakeCurrent(dc, context);
    }
    if (current) {
        benchmark::DoNotOptimize(glGetString(GL_VENDOR));
        GLint profileMask = 0;
        glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profileMask);
        benchmark::DoNotOptimize(profileMask);
        GLuint framebuffers[3] = {0, 0, 0};
        glGenFramebuffers(3, framebuffers);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glDeleteFramebuffers(3, framebuffers);
        wglMakeCurrent(nullptr, nullptr);
    }
    if (context != nullptr) wglDeleteContext(context);
    ReleaseDC(window, dc);
    DestroyWindow(window);
    return current;
}

void BM_Raw_CreateContext(benchmark::State& state) {
    for (auto _ : state) {
        if (!RawCreateAndDestroy()) {
            state.SkipWithError("raw WGL context creation failed");
            break;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    // GLEW is compiled into vindra.dll; the raw side resolves its own copy on vindra's first context.
    vindra::ContextInitData init = vindra_bench::WindowlessInit();
    vindra::Context* first = vindra::CreateContext(init);
    if (first == nullptr || glewInit() != GLEW_OK || wglCreateContextAttribsARB == nullptr ||
        wglChoosePixelFormatARB == nullptr) {
        std::fprintf(stderr, "wgl_create_context_bench: no context, or no WGL_ARB_create_context\n");
        return 1;
    }
    delete first;
    if (!RawCreateAndDestroy()) {
        std::fprintf(stderr, "wgl_create_context_bench: raw WGL context creation failed\n");
        return 1;
    }

    vindra_bench::WithMinimum(
        benchmark::RegisterBenchmark("BM_Vindra/CreateContext", vindra_bench::BM_Vindra_CreateContext))
        ->Unit(benchmark::kMicrosecond);
    vindra_bench::WithMinimum(benchmark::RegisterBenchmark("BM_Raw/CreateContext", BM_Raw_CreateContext))
        ->Unit(benchmark::kMicrosecond);
    vindra_bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios("Context creation + deletion under Wine: vindra vs raw WGL", 0);
    benchmark::Shutdown();
    return 0;
}
