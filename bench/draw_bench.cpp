// Draw calls against the raw GL draw each one stands for, plus the one glGetError that follows it. Both
// sides draw the same two-triangle quad with the same program, vertex array and 16-bit index buffer, all set
// up once through vindra, into a 1x1 viewport and scissor: rasterising one pixel is next to nothing, so
// what is left is the cost of the call. GLEW's entry points are valid here because libvindra initialised
// the system's shared libGLEW.
#include <GL/glew.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "context_bench_common.h"
#include "ratio_reporter.h"
#include "vindra/context.h"

using namespace vindra;

namespace {

Context* context = nullptr;

// Draws queue up in the driver (llvmpipe bins them and rasterises on flush); both sides wait for the
// queue this often, so that neither runs ahead of the other or grows it without bound.
constexpr uint32_t kFinishEvery = 256;

const char* const kVertexShader = R"(#version 450 core
layout(location = 0) in vec2 position;
void main() { gl_Position = vec4(position, 0.0, 1.0); })";

const char* const kFragmentShader = R"(#version 450 core
out vec4 color;
void main() { color = vec4(0.0, 1.0, 0.0, 1.0); })";

constexpr float kQuad[4][2] = {{-1.0f, -1.0f}, {1.0f, -1.0f}, {-1.0f, 1.0f}, {1.0f, 1.0f}};
constexpr uint16_t kQuadIndices[6] = {0, 1, 2, 2, 1, 3};

struct Scene {
    VertexBuffer* vertices = nullptr;
    IndexBuffer* indices = nullptr;
    VertexArray* array = nullptr;
    ShaderProgram* program = nullptr;
} scene;

bool Check(ResultCode result, const char* what) {
    if (result == ResultCode{}) return true;
    std::fprintf(stderr, "draw_bench: %s failed (%u)\n", what, static_cast<unsigned>(result));
    return false;
}

// Everything the draws read, made and bound through vindra; the raw side then draws on the very same
// GL state.
bool SetUp() {
    VertexLayout layout{};
    layout.stride = sizeof kQuad[0];
    layout.attributeCount = 1;
    layout.attributes[0] = {0, VertexAttributeType::Float32, 2, 0, false};

    scene.vertices = context->CreateVertexBuffer();
    scene.indices = context->CreateIndexBuffer();
    scene.array = context->CreateVertexArray();
    scene.program = context->CreateShaderProgram();
    return Check(scene.vertices->SetVertexLayout(&layout), "SetVertexLayout") &&
           Check(scene.vertices->BufferData(sizeof kQuad, kQuad, BufferUsage::StaticDraw), "vertex BufferData") &&
           Check(scene.indices->SetIndexType(IndexType::UInt16), "SetIndexType") &&
           Check(scene.indices->BufferData(sizeof kQuadIndices, kQuadIndices, BufferUsage::StaticDraw),
                 "index BufferData") &&
           Check(scene.array->SetVertexBuffer(scene.vertices, 0, 0), "SetVertexBuffer") &&
           Check(scene.program->AddShader(ShaderStage::Vertex, 1, &kVertexShader, nullptr), "vertex shader") &&
           Check(scene.program->AddShader(ShaderStage::Fragment, 1, &kFragmentShader, nullptr), "fragment shader") &&
           Check(scene.program->Link(), "Link") &&
           Check(context->BindShaderProgram(scene.program), "BindShaderProgram") &&
           // The element buffer binding belongs to the vertex array object: the array goes first.
           Check(context->BindVertexArray(scene.array), "BindVertexArray") &&
           Check(context->BindIndexBuffer(scene.indices), "BindIndexBuffer") &&
           Check(context->SetViewPort(0, 0, 1, 1), "SetViewPort") &&
           Check(context->SetScissorRect(0, 0, 1, 1), "SetScissorRect") &&
           Check(context->EnableScissor(true), "EnableScissor");
}

void TearDown() {
    context->BindIndexBuffer(nullptr);
    context->BindVertexArray(nullptr);
    context->BindShaderProgram(nullptr);
    context->ReleaseVertexArray(&scene.array);
    context->ReleaseIndexBuffer(&scene.indices);
    context->ReleaseVertexBuffer(&scene.vertices);
    context->ReleaseShaderProgram(&scene.program);
}

// A draw that GL quietly drops would be timed as a cheap no-op, so each one must be seen to colour the
// pixel before it is timed.
template <typename Draw>
bool DrawsThePixel(const char* name, Draw draw) {
    constexpr float kBlack[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    uint8_t pixel[4] = {0, 0, 0, 0};
    bool ok = context->Clear(ClearColorBuffer, kBlack, 1.0, 0) == ResultCode{} && draw() == 0;
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    ok = ok && glGetError() == GL_NO_ERROR && pixel[0] == 0 && pixel[1] == 255 && pixel[2] == 0;
    if (!ok)
        std::fprintf(stderr, "draw_bench: %s did not draw (pixel %u %u %u %u)\n", name, pixel[0], pixel[1], pixel[2],
                     pixel[3]);
    return ok;
}

template <typename Draw>
void TimeDraws(benchmark::State& state, Draw draw) {
    if (draw() != 0) {
        state.SkipWithError("the draw failed on this context");
        return;
    }
    glFinish();
    uint32_t drawn = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(draw());
        if (++drawn % kFinishEvery == 0) glFinish();
    }
    // After the timed loop: the next benchmark starts on an idle queue.
    glFinish();
}

struct Pair {
    const char* operation;
    uint32_t (*vindraDraw)();
    uint32_t (*rawDraw)();
};

const Pair kPairs[] = {
    {"DrawIndexedPrimitives",
     [] { return static_cast<uint32_t>(context->DrawIndexedPrimitives(PrimitiveType::Triangles, 6, 0, 0)); },
     [] {
         glDrawElementsBaseVertex(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, nullptr, 0);
         return static_cast<uint32_t>(glGetError());
     }},
    {"DrawPrimitives",
     [] { return static_cast<uint32_t>(context->DrawPrimitives(PrimitiveType::TriangleStrip, 0, 4)); },
     [] {
         glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
         return static_cast<uint32_t>(glGetError());
     }},
};

// "BM_Vindra/<operation>" and "BM_Raw/<operation>" next to each other, as in the other benchmarks; the
// vindra side goes through the virtual call a host makes.
void RegisterAll() {
    for (const Pair& pair : kPairs) {
        auto vindraDraw = pair.vindraDraw;
        auto rawDraw = pair.rawDraw;
        vindra_bench::WithMinimum(
            benchmark::RegisterBenchmark(("BM_Vindra/" + std::string(pair.operation)).c_str(),
                                         [vindraDraw](benchmark::State& state) { TimeDraws(state, vindraDraw); }));
        vindra_bench::WithMinimum(
            benchmark::RegisterBenchmark(("BM_Raw/" + std::string(pair.operation)).c_str(),
                                         [rawDraw](benchmark::State& state) { TimeDraws(state, rawDraw); }));
    }
}

}  // namespace

int main(int argc, char** argv) {
    return vindra_bench::RunPairs(
        argc, argv, "draw_bench", context, "the scene could not be made, or a draw did not colour the pixel",
        "Draws: vindra vs raw GL draw + glGetError", 1.10,
        [] {
            bool ready = SetUp();
            for (const Pair& pair : kPairs)
                ready = ready && DrawsThePixel(pair.operation, pair.vindraDraw) &&
                        DrawsThePixel(pair.operation, pair.rawDraw);
            return ready;
        },
        RegisterAll, TearDown);
}
