// Pixel transfers of a 1024x1024 RGBA8 image against the raw GL sequences that do the same work:
// ReadPixels of a framebuffer into host memory, CopyTextureToBuffer followed by a map of the pixel
// buffer, and LoadSubImage from host memory. Each iteration moves the same bytes on both sides, so the
// ratio of times is the ratio of throughputs (MB/s, shown per benchmark).
#include <GL/glew.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "context_bench_common.h"
#include "ratio_reporter.h"
#include "vindra/context.h"

using namespace vindra;

namespace {

constexpr int32_t kSize = 1024;
constexpr size_t kImageBytes = size_t(kSize) * kSize * 4;

Context* context = nullptr;
Texture* image = nullptr;
Framebuffer* framebuffer = nullptr;
PixelBuffer* pixels = nullptr;
GLuint rawCopyFbo = 0;  // the raw side's own, as the context has its own
std::vector<uint8_t> hostBytes(kImageBytes, 0x5A);
std::vector<float> hostFloats(kImageBytes);

bool SetUp() {
    image = context->CreateTexture();
    framebuffer = context->CreateFramebuffer();
    pixels = context->CreatePixelBuffer();
    FramebufferDesc desc{image, 1, 0, 0, 0, PixelFormat::RGBA8, 0, PixelFormat::Depth16, 0, PixelFormat::Stencil8};
    const float grey[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    glGenFramebuffers(1, &rawCopyFbo);
    return image->Init(TextureDesc{PixelFormat::RGBA8, kSize, kSize, 0, 0, 1, 0, 0}) == ResultCode{} &&
           framebuffer->Init(desc) == ResultCode{} &&
           pixels->BufferData(kImageBytes, nullptr, BufferUsage::DynamicRead) == ResultCode{} &&
           context->BindFramebuffer(framebuffer) == ResultCode{} &&
           context->SetViewPort(0, 0, kSize, kSize) == ResultCode{} &&
           context->Clear(ClearColorBuffer, grey, 1.0, 0) == ResultCode{};
}

void TearDown() {
    context->BindFramebuffer(nullptr);
    context->ReleaseFramebuffer(&framebuffer);
    context->ReleaseTexture(&image);
    context->ReleasePixelBuffer(&pixels);
    glDeleteFramebuffers(1, &rawCopyFbo);
}

uint32_t RawReadPixels() {
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_FLOAT, hostFloats.data());
    return glGetError();
}

uint32_t VindraCopyAndMap() {
    ResultCode status = ResultCode::Failed;
    uint32_t result = uint32_t(context->CopyTextureToBuffer(image, pixels, 0));
    benchmark::DoNotOptimize(pixels->MapBuffer(MapAccess::Read, &status));
    return result | uint32_t(status) | uint32_t(pixels->UnmapBuffer());
}

uint32_t RawCopyAndMap() {
    GLuint texture = GLuint(image->GetHandle(0));
    GLint previous = 0;
    // A pixel buffer of the raw side's own, made as the library makes one for DynamicRead.
    static GLuint name = [] {
        GLuint made = 0;
        glCreateBuffers(1, &made);
        glNamedBufferData(made, kImageBytes, nullptr, GL_DYNAMIC_READ);
        return made;
    }();
    glBindBuffer(GL_PIXEL_PACK_BUFFER, name);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_FRAMEBUFFER, rawCopyFbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, previous);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    uint32_t error = glGetError();
    glBindBuffer(GL_PIXEL_PACK_BUFFER, name);
    benchmark::DoNotOptimize(glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, kImageBytes, GL_MAP_READ_BIT));
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    return error | glGetError();
}

uint32_t RawLoadSubImage() {
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, GLuint(image->GetHandle(0)));
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, hostBytes.data());
    if (GLuint(previous) != image->GetHandle(0)) glBindTexture(GL_TEXTURE_2D, previous);
    return glGetError();
}

struct Pair {
    const char* operation;
    uint32_t (*vindraTransfer)();
    uint32_t (*rawTransfer)();
};

const Pair kPairs[] = {
    {"ReadPixels", [] { return uint32_t(context->ReadPixels(0, 0, 0, kSize, kSize, hostFloats.data())); },
     RawReadPixels},
    {"CopyTextureToBuffer+Map", VindraCopyAndMap, RawCopyAndMap},
    {"LoadSubImage", [] { return uint32_t(image->LoadSubImage(0, 0, 0, 0, kSize, kSize, 1, 0, hostBytes.data())); },
     RawLoadSubImage},
};

// Transfers wait for the GPU on both sides (a read waits for the data; a load is finished each time),
// so neither side queues work the other pays for.
void TimeTransfers(benchmark::State& state, uint32_t (*transfer)(), int64_t bytes) {
    if (transfer() != 0) {
        state.SkipWithError("the transfer failed on this context");
        return;
    }
    glFinish();
    for (auto _ : state) {
        benchmark::DoNotOptimize(transfer());
        glFinish();
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

void RegisterAll() {
    for (const Pair& pair : kPairs) {
        // ReadPixels delivers floats: four times the bytes of the image.
        int64_t bytes = std::string(pair.operation) == "ReadPixels" ? int64_t(kImageBytes) * 4 : int64_t(kImageBytes);
        for (auto [side, transfer] :
             {std::make_pair("BM_Vindra/", pair.vindraTransfer), std::make_pair("BM_Raw/", pair.rawTransfer)}) {
            vindra_bench::WithMinimum(benchmark::RegisterBenchmark(
                (side + std::string(pair.operation)).c_str(),
                [transfer = transfer, bytes](benchmark::State& state) { TimeTransfers(state, transfer, bytes); }));
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    return vindra_bench::RunPairs(
        argc, argv, "texture_copy_bench", context, "setting up the texture, framebuffer or pixel buffer failed",
        "1024x1024 RGBA8 transfers: vindra vs raw GL (time ratio = raw MB/s over vindra MB/s)", 1.05, SetUp,
        RegisterAll, TearDown);
}
