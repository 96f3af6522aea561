// Render-state operations against the raw GL call each stands for, plus the one glGetError that every
// operation makes. Both sides run on the same headless context of the same process; GLEW's entry points
// are valid here because libvindra initialised the system's shared libGLEW.
#include <GL/glew.h>

#include <cstdio>
#include <string>

#include "context_bench_common.h"
#include "ratio_reporter.h"
#include "vindra/context.h"

using namespace vindra;

namespace {

Context* context = nullptr;

// Times `call(odd)` with `odd` flipping every iteration, so that no call repeats the state already
// set and a driver cannot skip it. Both argument sets must succeed before anything is timed: a pair
// where one side fails measures the error path.
template <typename Call>
void TimeAlternating(benchmark::State& state, Call call) {
    for (bool odd : {false, true}) {
        if (call(odd) != 0) {
            state.SkipWithError("the call failed on this context");
            return;
        }
    }
    bool odd = false;
    for (auto _ : state) {
        benchmark::DoNotOptimize(call(odd));
        odd = !odd;
    }
}

// Registers "BM_Vindra/<operation>" and "BM_Raw/<operation>" next to each other, so that the two
// sides of a pair run back to back. The calls are captured by value and inlined into the loop; only the
// vindra side goes through a virtual call, as it does for a host.
template <typename VindraCall, typename RawCall>
void RegisterPair(const char* operation, VindraCall vindraCall, RawCall rawCall) {
    vindra_bench::WithMinimum(benchmark::RegisterBenchmark(
        ("BM_Vindra/" + std::string(operation)).c_str(), [vindraCall](benchmark::State& state) {
            TimeAlternating(state, [&](bool odd) { return static_cast<uint32_t>(vindraCall(*context, odd)); });
        }));
    vindra_bench::WithMinimum(
        benchmark::RegisterBenchmark(("BM_Raw/" + std::string(operation)).c_str(), [rawCall](benchmark::State& state) {
            TimeAlternating(state, [&](bool odd) {
                rawCall(odd);
                return static_cast<uint32_t>(glGetError());
            });
        }));
}

void Capability(GLenum capability, bool enable) {
    if (enable)
        glEnable(capability);
    else
        glDisable(capability);
}

constexpr float kBlendColors[2][4] = {{0.25f, 0.5f, 0.75f, 1.0f}, {1.0f, 0.0f, 0.5f, 0.25f}};
constexpr int32_t kPatchVertices[2] = {3, 4};

void RegisterAll() {
    // Setters, in the order of the interface.
    RegisterPair(
        "SetViewPort",
        [](Context& c, bool odd) { return odd ? c.SetViewPort(1, 1, 255, 255) : c.SetViewPort(0, 0, 256, 256); },
        [](bool odd) { odd ? glViewport(1, 1, 255, 255) : glViewport(0, 0, 256, 256); });
    RegisterPair(
        "EnableScissor", [](Context& c, bool odd) { return c.EnableScissor(odd); },
        [](bool odd) { Capability(GL_SCISSOR_TEST, odd); });
    RegisterPair(
        "SetScissorRect",
        [](Context& c, bool odd) { return odd ? c.SetScissorRect(1, 1, 255, 255) : c.SetScissorRect(0, 0, 256, 256); },
        [](bool odd) { odd ? glScissor(1, 1, 255, 255) : glScissor(0, 0, 256, 256); });
    RegisterPair(
        "EnableDepthTest", [](Context& c, bool odd) { return c.EnableDepthTest(odd); },
        [](bool odd) { Capability(GL_DEPTH_TEST, odd); });
    RegisterPair(
        "SetDepthMask", [](Context& c, bool odd) { return c.SetDepthMask(odd); },
        [](bool odd) { glDepthMask(odd ? GL_TRUE : GL_FALSE); });
    RegisterPair(
        "SetDepthFunc",
        [](Context& c, bool odd) { return c.SetDepthFunc(odd ? CompareFunc::Less : CompareFunc::GreaterEqual); },
        [](bool odd) { glDepthFunc(odd ? GL_LESS : GL_GEQUAL); });
    RegisterPair(
        "EnableStencilTest", [](Context& c, bool odd) { return c.EnableStencilTest(odd); },
        [](bool odd) { Capability(GL_STENCIL_TEST, odd); });
    RegisterPair(
        "SetStencilFunc",
        [](Context& c, bool odd) {
            return odd ? c.SetStencilFunc(CompareFunc::Less, 1, 0xff) : c.SetStencilFunc(CompareFunc::Greater, 2, 0x0f);
        },
        [](bool odd) { odd ? glStencilFunc(GL_LESS, 1, 0xff) : glStencilFunc(GL_GREATER, 2, 0x0f); });
    RegisterPair(
        "SetStencilOp",
        [](Context& c, bool odd) {
            return odd ? c.SetStencilOp(StencilOp::Keep, StencilOp::Replace, StencilOp::IncrementWrap)
                       : c.SetStencilOp(StencilOp::Zero, StencilOp::Invert, StencilOp::DecrementWrap);
        },
        [](bool odd) {
            odd ? glStencilOp(GL_KEEP, GL_REPLACE, GL_INCR_WRAP) : glStencilOp(GL_ZERO, GL_INVERT, GL_DECR_WRAP);
        });
    RegisterPair(
        "SetColorMask", [](Context& c, bool odd) { return c.SetColorMask(odd, !odd, odd, !odd); },
        [](bool odd) { glColorMask(odd, !odd, odd, !odd); });
    RegisterPair(
        "EnableBlend", [](Context& c, bool odd) { return c.EnableBlend(odd); },
        [](bool odd) { Capability(GL_BLEND, odd); });
    RegisterPair(
        "SetBlendEquation",
        [](Context& c, bool odd) {
            return odd ? c.SetBlendEquation(BlendEquation::Add, BlendEquation::Max)
                       : c.SetBlendEquation(BlendEquation::Subtract, BlendEquation::Min);
        },
        [](bool odd) {
            odd ? glBlendEquationSeparate(GL_FUNC_ADD, GL_MAX) : glBlendEquationSeparate(GL_FUNC_SUBTRACT, GL_MIN);
        });
    RegisterPair(
        "SetBlendFunc",
        [](Context& c, bool odd) {
            return odd ? c.SetBlendFunc(BlendFactor::SrcAlpha, BlendFactor::OneMinusSrcAlpha, BlendFactor::One,
                                        BlendFactor::Zero)
                       : c.SetBlendFunc(BlendFactor::One, BlendFactor::One, BlendFactor::SrcAlpha,
                                        BlendFactor::DstAlpha);
        },
        [](bool odd) {
            odd ? glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ZERO)
                : glBlendFuncSeparate(GL_ONE, GL_ONE, GL_SRC_ALPHA, GL_DST_ALPHA);
        });
    RegisterPair(
        "SetBlendColor", [](Context& c, bool odd) { return c.SetBlendColor(kBlendColors[odd]); },
        [](bool odd) {
            const float* rgba = kBlendColors[odd];
            glBlendColor(rgba[0], rgba[1], rgba[2], rgba[3]);
        });
    RegisterPair(
        "SetTriangleFillMode",
        [](Context& c, bool odd) { return c.SetTriangleFillMode(odd ? FillMode::Line : FillMode::Fill); },
        [](bool odd) { glPolygonMode(GL_FRONT_AND_BACK, odd ? GL_LINE : GL_FILL); });
    RegisterPair(
        "EnableClipDistance", [](Context& c, bool odd) { return c.EnableClipDistance(0, odd); },
        [](bool odd) { Capability(GL_CLIP_DISTANCE0, odd); });
    RegisterPair(
        "SetPatchParameter",
        [](Context& c, bool odd) { return c.SetPatchParameter(PatchParameter::PatchVertices, &kPatchVertices[odd]); },
        [](bool odd) { glPatchParameteri(GL_PATCH_VERTICES, kPatchVertices[odd]); });

    // The getter reads the same state every time: there is nothing for a driver to skip.
    RegisterPair(
        "GetViewPort",
        [](Context& c, bool) {
            int32_t x = 0, y = 0, width = 0, height = 0;
            ResultCode result = c.GetViewPort(&x, &y, &width, &height);
            benchmark::DoNotOptimize(x + y + width + height);
            return result;
        },
        [](bool) {
            GLint viewport[4];
            glGetIntegerv(GL_VIEWPORT, viewport);
            benchmark::DoNotOptimize(viewport);
        });
}

}  // namespace

int main(int argc, char** argv) {
    return vindra_bench::RunPairs(
        argc, argv, "render_state_bench", context, "", "Render state: vindra vs raw GL + glGetError", 1.10,
        [] { return true; }, RegisterAll, [] {});
}
