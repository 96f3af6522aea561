// Textures, framebuffers and copies on real GL: formats round-trip, swizzles and sampler parameters seen
// by a shader, off-screen rendering with and without multisampling, and pixels moved between
// framebuffers, textures, pixel buffers and host memory.
#include "gl_test.h"

#include <algorithm>

#include "gl/gl_texture.h"
#include "gl/pixel_format_table.h"

using namespace vindra;
using namespace vindra_test;

namespace {

using Bytes = std::vector<uint8_t>;

// With modeDepth (mode, depth): a triangle over the whole target (modes 0 and 1) or over its lower-left half
// (mode 2), at that depth; mode 1 samples unit 3 in the middle, the others paint `color`.
const char* const kShaders[] = {
    "#version 450 core\nlayout(location = 1) uniform vec2 modeDepth;\nvoid main() {\n"
    "  vec2 corner = vec2(gl_VertexID == 1 ? 1 : -1, gl_VertexID == 2 ? 1 : -1);\n"
    "  gl_Position = vec4(modeDepth.x == 2.0 ? corner : corner * 2.0 + 1.0, modeDepth.y, 1.0);\n}\n",
    "#version 450 core\nlayout(location = 0) uniform vec4 color;\nlayout(location = 1) uniform vec2 modeDepth;\n"
    "out vec4 fragColor;\nlayout(binding = 3) uniform sampler2D image;\n"
    "void main() { fragColor = modeDepth.x == 1.0 ? texture(image, vec2(0.5)) : color; }\n"};

// Colour into `color` (or nowhere), with a Depth24Stencil8 renderbuffer when `depth`.
FramebufferDesc TextureTarget(Texture* color, int32_t samples = 1, uint8_t depth = 0) {
    return {color, samples, 0, 0, 0, PixelFormat::RGBA8, depth, PixelFormat::Depth24Stencil8, 0, PixelFormat::Stencil8};
}

class TextureTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (HasFatalFailure()) return;
        shaders = context->CreateShaderProgram();
        for (uint32_t stage : {0u, 1u}) shaders->AddShader(ShaderStage(stage), 1, &kShaders[stage], nullptr);
        ASSERT_TRUE(shaders->Link() == ResultCode::Success &&
                    context->BindShaderProgram(shaders) == ResultCode::Success);
        glViewport(0, 0, 64, 64);
    }
    void TearDown() override {
        if (!context) return GlTest::TearDown();
        context->MakeCurrent();
        for (Framebuffer*& framebuffer : framebuffers) context->ReleaseFramebuffer(&framebuffer);
        for (Texture*& texture : textures) context->ReleaseTexture(&texture);
        for (PixelBuffer*& buffer : pixelBuffers) context->ReleasePixelBuffer(&buffer);
        context->ReleaseShaderProgram(&shaders);
        GlTest::TearDown();
    }
    Texture* MakeTexture(PixelFormat format, int32_t width, int32_t height) {
        Texture* texture = textures.emplace_back(context->CreateTexture());
        EXPECT_EQ(texture->Init(TextureDesc{format, width, height, 0, 0, 1, 0, 0}), ResultCode::Success);
        return texture;
    }
    Framebuffer* NewFramebuffer() { return framebuffers.emplace_back(context->CreateFramebuffer()); }
    PixelBuffer* NewPixelBuffer() { return pixelBuffers.emplace_back(context->CreatePixelBuffer()); }
    // Draws through the context, so that pending sampler parameters go first.
    void Draw(int mode, std::array<float, 4> color = {1, 0, 0, 1}, float depth = 0) {
        glUniform4fv(0, 1, color.data());
        glUniform2f(1, float(mode), depth);
        EXPECT_EQ(context->DrawPrimitives(PrimitiveType::Triangles, 0, 3), ResultCode::Success);
    }
    static Bytes Image(Texture* texture, size_t bytes) {
        Bytes image(bytes);
        texture->ReadImage(0, image.data());
        return image;
    }

    ShaderProgram* shaders = nullptr;
    std::vector<Texture*> textures;
    std::vector<Framebuffer*> framebuffers;
    std::vector<PixelBuffer*> pixelBuffers;
};

// Texel data GL stores unchanged for every format: bytes below 64 keep floats and halves finite and depths
// below 1 (no float's top byte is 0); the unused bits of the 32F depth-stencil texels stay clear.
Bytes Pattern(const PixelFormatRow& row, int texels) {
    Bytes bytes(row.bytesPerTexel * texels);
    bool depthStencil32F = row.pixelType == GL_FLOAT_32_UNSIGNED_INT_24_8_REV;
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = depthStencil32F && i % 8 > 4 ? 0 : (i * 37 + 11) % 64;
    return bytes;
}

// Every format round-trips through LoadSubImage and ReadImage, on a 2D texture of 4x4 texels.
class FormatRoundTrip : public TextureTest, public ::testing::WithParamInterface<int> {};

TEST_P(FormatRoundTrip, LoadSubImageAndReadImageKeepTheTexels) {
    Texture* texture = MakeTexture(PixelFormat(GetParam()), 4, 4);
    Bytes in = Pattern(*FindPixelFormat(PixelFormat(GetParam()), "test"), 16);
    ASSERT_EQ(texture->LoadSubImage(0, 0, 0, 0, 4, 4, 1, 0, in.data()), ResultCode::Success);
    EXPECT_EQ(Image(texture, in.size()), in);
    EXPECT_EQ(Get(GL_TEXTURE_BINDING_2D), 0);  // ReadImage leaves nothing bound
}

// Each case named after its format, so that a failing format is named in the list of results.
INSTANTIATE_TEST_SUITE_P(Formats, FormatRoundTrip, ::testing::Range(0, kPixelFormatCount), [](const auto& info) {
    return std::string(FindPixelFormat(PixelFormat(info.param), "test")->name);
});

// What a shader samples from one texel: swizzles show grey, grey-and-alpha, and red and blue exchanged.
// clang-format off
const std::tuple<const char*, PixelFormat, Bytes, std::array<uint8_t, 4>> kSampled[] = {
    {"L8", PixelFormat::L8, {200}, {200, 200, 200, 255}},
    {"LA16F", PixelFormat::LA16F, {0x00, 0x38, 0x00, 0x34}, {128, 128, 128, 64}},
    {"BGRA8", PixelFormat::BGRA8, {10, 20, 30, 40}, {30, 20, 10, 40}},
    {"BGRA16", PixelFormat::BGRA16, {0, 0x20, 0, 0x40, 0, 0x60, 0, 0x80}, {96, 64, 32, 128}},
    {"RGBA8 after BGRA16", PixelFormat::RGBA8, {10, 20, 30, 40}, {10, 20, 30, 40}},  // Init again: identity swizzle
};
// clang-format on

// Each row's texel as a draw samples it; then the sampler parameters, which wait for the next draw and are sent
// again only when they changed.
TEST_F(TextureTest, DrawsSampleTheSwizzleAndSendChangedSamplerParameters) {
    Texture* texture = textures.emplace_back(context->CreateTexture());
    for (const auto& [name, format, texel, sampled] : kSampled) {
        SCOPED_TRACE(name);
        texture->Init(TextureDesc{format, 1, 1, 0, 0, 1, 0, 0});
        texture->LoadSubImage(0, 0, 0, 0, 1, 1, 1, 0, texel.data());
        context->BindTexture(texture, 0, 3);
        Draw(1);
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(ReadPixel(32, 32)[c], sampled[c], 1) << "channel " << c;
    }
    const GLuint glName = GLuint(texture->GetHandle(0));
    auto sent = [glName] {  // wrap S, T and R, the two filters and the border colour's four channels
        std::vector<float> values(9);
        const GLenum pnames[] = {GL_TEXTURE_WRAP_S,     GL_TEXTURE_WRAP_T,     GL_TEXTURE_WRAP_R,
                                 GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_BORDER_COLOR};
        for (int i = 0; i < 6; ++i) glGetTextureParameterfv(glName, pnames[i], &values[i]);
        return values;
    };
    texture->SetWrapS(TextureWrap::Repeat);
    texture->SetWrapT(TextureWrap::MirroredRepeat);
    texture->SetWrapR(TextureWrap::ClampToBorder);
    texture->SetMinFilter(TextureFilter::LinearMipmapNearest);
    texture->SetMagFilter(TextureFilter::Nearest);
    texture->SetBorderColor(std::array<float, 4>{0.5f, 0.25f, 1, 1}.data());
    EXPECT_EQ(sent()[4], GL_LINEAR);  // kept until a draw
    Draw(0);
    EXPECT_EQ(sent(), (std::vector<float>{GL_REPEAT, GL_MIRRORED_REPEAT, GL_CLAMP_TO_BORDER, GL_LINEAR_MIPMAP_NEAREST,
                                          GL_NEAREST, 0.5f, 0.25f, 1, 1}));
    EXPECT_EQ(Get(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    // Unchanged values are not sent again: GL keeps what was set behind the texture's back.
    glTextureParameteri(glName, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    texture->SetWrapS(TextureWrap::Repeat);
    Draw(0);
    EXPECT_EQ(sent()[0], GL_CLAMP_TO_EDGE);
}

// The target follows the extents; a texture without any is refused. An external texture is only wrapped:
// releasing the wrapper leaves it to its maker.
TEST_F(TextureTest, InitChoosesTheTargetFromTheExtentsAndWrapsExternalTextures) {
    // clang-format off
    const std::tuple<int32_t, int32_t, int32_t, uint8_t, ResultCode, GLenum> rows[] = {
        {8, 0, 0, 1, ResultCode::Success, GL_TEXTURE_1D}, {8, 4, 0, 0, ResultCode::Success, GL_TEXTURE_RECTANGLE},
        {8, 4, 0, 1, ResultCode::Success, GL_TEXTURE_2D}, {8, 0, 2, 1, ResultCode::Success, GL_TEXTURE_3D},
        {0, 0, 0, 1, ResultCode::InvalidValue, GlTexture::kNoTarget}};
    // clang-format on
    for (const auto& [width, height, depth, target2D, init, target] : rows) {
        Texture* texture = textures.emplace_back(context->CreateTexture());
        EXPECT_EQ(texture->Init(TextureDesc{PixelFormat::R8, width, height, depth, 0, target2D, 0, 0}), init) << target;
        EXPECT_EQ(texture->GetHandle(1), target);
    }
    GLuint external = 0;
    glCreateTextures(GL_TEXTURE_2D, 1, &external);
    // The refused texture above, which made no GL texture of its own.
    EXPECT_EQ(textures.back()->Init(TextureDesc{PixelFormat::RGBA8, 4, 4, 0, 0, 1, TextureFlagExternal, external}),
              ResultCode::Success);
    EXPECT_EQ(textures.back()->GetHandle(0), external);
    context->ReleaseTexture(&textures.back());
    EXPECT_TRUE(glIsTexture(external));
}

TEST_F(TextureTest, RefusalsNameTheOperationAndTheValue) {
    int32_t limit = Get(GL_MAX_TEXTURE_SIZE), attachments = Get(GL_MAX_COLOR_ATTACHMENTS);
    Texture *texture = MakeTexture(PixelFormat::RGBA8, 8, 4), *depthTexture = MakeTexture(PixelFormat::Depth16, 8, 8);
    PixelBuffer *buffer = NewPixelBuffer(), *empty = NewPixelBuffer();
    buffer->BufferData(512, nullptr, BufferUsage::DynamicRead);
    auto init = [&](FramebufferDesc desc) { return NewFramebuffer()->Init(desc); };
    const ResultCode invalid = ResultCode::InvalidValue, badEnum = ResultCode::InvalidEnum;
    const PixelFormat rgba = PixelFormat::RGBA8, depth16 = PixelFormat::Depth16, stencil = PixelFormat::Stencil8;
    // Copies come first: the refused Init further down leaves the texture with its description.
    // clang-format off
    ExpectRefusals({
        {"past the end", [&] { return context->CopyTextureToBuffer(texture, buffer, 385); }, invalid, "GlContext::CopyTextureToBuffer: 128 bytes at offset 385 leave the pixel buffer of 512 bytes"},
        {"offset wraps", [&] { return ResultCode(context->CopyBufferToTexture(buffer, UINT64_MAX, texture)); }, invalid, "GlContext::CopyBufferToTexture: 128 bytes at offset 18446744073709551615 leave the pixel buffer of 512 bytes"},
        {"no storage", [&] { return ResultCode(context->CopyBufferToTexture(empty, 0, texture)); }, invalid, "GlContext::CopyBufferToTexture: the pixel buffer has no storage (BufferData first)"},
        {"null texture", [&] { return context->CopyFramebuffer(1, nullptr); }, invalid, "GlContext::CopyFramebuffer: null texture"},
        {"format", [&] { return texture->Init(TextureDesc{PixelFormat(35), 4, 4, 0, 0, 1, 0, 0}); }, badEnum, "GlTexture::Init: invalid PixelFormat 35"},
        {"extent", [&] { return texture->Init(TextureDesc{PixelFormat::R8, limit + 1, 4, 0, 0, 1, 0, 0}); }, invalid, "GlTexture::Init: extent " + std::to_string(limit + 1) + "x4x0 outside 0 to the device's limit " + std::to_string(limit)},
        {"wrap", [&] { return texture->SetWrapT(TextureWrap(5)); }, badEnum, "GlTexture::SetWrapT: invalid TextureWrap 5"},
        {"null read", [&] { return texture->ReadImage(0, nullptr); }, invalid, "GlTexture::ReadImage: null data and no pixel buffer bound"},
        {"load before init", [&] { return textures.emplace_back(context->CreateTexture())->LoadSubImage(0, 0, 0, 0, 1, 1, 1, 0, &limit); }, ResultCode::InvalidOperation, ""},
        {"unit", [&] { return context->BindTexture(texture, 0, 16); }, invalid, "GlContext::BindTexture: unit 16 outside 0 to 15"},
        {"read null", [&] { return context->ReadPixels(0, 0, 0, 1, 1, nullptr); }, invalid, "GlContext::ReadPixels: null rgba"},
        {"colour as depth", [&] { return init({nullptr, 1, 8, 8, 0, rgba, 1, rgba, 0, stencil}); }, invalid, "GlFramebuffer::Init: depthFormat RGBA8 does not suit that attachment"},
        {"depth as colour", [&] { return init({nullptr, 1, 8, 8, 1, depth16, 0, depth16, 0, stencil}); }, invalid, "GlFramebuffer::Init: colorFormat Depth16 does not suit that attachment"},
        {"depth texture", [&] { return init(TextureTarget(depthTexture)); }, invalid, "GlFramebuffer::Init: colour texture format Depth16 does not suit that attachment"},
        {"no size", [&] { return init({nullptr, 4, 0, 8, 1, rgba, 0, depth16, 0, stencil}); }, invalid, "GlFramebuffer::Init: size 0x8 outside 1 to the device's limit " + std::to_string(Get(GL_MAX_RENDERBUFFER_SIZE))},
        {"incomplete", [&] { return init(TextureTarget(nullptr)); }, ResultCode::Success, "GlFramebuffer::AttachBuffers: Framebuffer not complete: 0x8cd7"},
        {"index", [&] { return NewFramebuffer()->AttachColorTexture(texture, attachments); }, invalid, "GlFramebuffer::AttachColorTexture: index " + std::to_string(attachments) + " beyond the device's " + std::to_string(attachments) + " colour attachments"},
        {"negative index", [&] { return NewFramebuffer()->AttachColorTexture(texture, -1); }, ResultCode::InvalidOperation, ""},
    });
    // clang-format on
}

// Off-screen, single-sampled and with 16 samples asked for (clamped): a near white triangle hides the far
// green behind it through the depth-stencil attachment, and the resolve averages the edge. ReadPixels reads
// the resolved colour as buffer 0; another buffer warns and reads GL_FRONT, which GL refuses.
TEST_F(TextureTest, FramebuffersDepthTestAndResolveASmoothedEdge) {
    for (int32_t samples : {1, 16}) {
        SCOPED_TRACE(samples);
        FramebufferDesc desc = TextureTarget(MakeTexture(PixelFormat::RGBA8, 64, 64), samples, 1);
        Framebuffer* framebuffer = NewFramebuffer();
        ASSERT_EQ(framebuffer->Init(desc), ResultCode::Success);
        EXPECT_EQ(desc.samples, std::min(samples, Get(GL_MAX_SAMPLES)));
        ASSERT_EQ(context->BindFramebuffer(framebuffer), ResultCode::Success);
        context->Clear(ClearDepthBuffer, nullptr, 1, 0);  // the far triangle covers every colour sample
        context->EnableDepthTest(true);
        Draw(2, {1, 1, 1, 1}, -0.5f);
        Draw(0, {0, 1, 0, 1}, 0.5f);  // behind the triangle: seen only around it
        EXPECT_EQ(framebuffer->ResolveMultisample(), ResultCode::Success);
        float rgba[4] = {};
        EXPECT_EQ(context->ReadPixels(0, 10, 10, 1, 1, rgba), ResultCode::Success);
        EXPECT_EQ(std::vector<float>(rgba, rgba + 4), std::vector<float>(4, 1.0f));
        EXPECT_EQ(ReadPixel(50, 50), (std::array<uint8_t, 4>{0, 255, 0, 255}));
        int between = 0;
        for (int x = 0; x < 64; ++x) between += ReadPixel(x, 63 - x)[0] % 255 != 0;
        EXPECT_EQ(between > 32, samples > 1) << between << " edge pixels between white and green";
        EXPECT_EQ(context->ReadPixels(1, 0, 0, 1, 1, rgba), ResultCode::InvalidOperation);
        ExpectMessages({{kWarning, "GlContext::ReadPixel: Unknown buffer id: 1"},
                        {kError, "GlContext::ReadPixels: GL_INVALID_OPERATION"}});
    }
}

// A framebuffer of this context bound on a shared one renders through that context's spare objects into the
// same texture; a texture at index 3 grows the attachment list. Released here, the framebuffer and the texture
// (bound on a unit there and on two here) leave no record there.
TEST_F(TextureTest, SharedContextsRenderIntoTheSameTextureAndForgetReleasedObjects) {
    Texture* texture = MakeTexture(PixelFormat::RGBA8, 8, 8);
    FramebufferDesc desc = TextureTarget(texture);
    Framebuffer* framebuffer = NewFramebuffer();
    EXPECT_EQ(framebuffer->Init(desc), ResultCode::Success);
    EXPECT_EQ(framebuffer->AttachColorTexture(texture, 3), ResultCode::Success);
    GLint attached = 0;
    glGetNamedFramebufferAttachmentParameteriv(framebuffer->GetHandle(), GL_COLOR_ATTACHMENT3,
                                               GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &attached);
    EXPECT_EQ(GLuint(attached), texture->GetHandle(0));
    EXPECT_EQ(framebuffer->AttachColorTexture(nullptr, 3), ResultCode::Success);
    ContextPtr shared(context->CreateSharedContext());
    shared->MakeCurrent();
    EXPECT_EQ(shared->BindFramebuffer(framebuffer), ResultCode::Success);
    EXPECT_NE(Get(GL_FRAMEBUFFER_BINDING), GLint(framebuffer->GetHandle()));
    shared->Clear(ClearColorBuffer, std::array<float, 4>{0, 0, 1, 1}.data(), 1, 0);
    EXPECT_EQ(ReadPixel(0, 0), (std::array<uint8_t, 4>{0, 0, 255, 255}));
    EXPECT_EQ(shared->BindFramebuffer(nullptr), ResultCode::Success);
    EXPECT_EQ(Get(GL_FRAMEBUFFER_BINDING), 0);
    shared->BindFramebuffer(framebuffer);
    shared->BindTexture(texture, 0, 1);
    context->MakeCurrent();
    for (int32_t unit : {2, 5}) context->BindTexture(texture, 0, unit);
    context->ReleaseFramebuffer(&framebuffers.back());
    EXPECT_EQ(context->ReleaseTexture(&textures.back()), 0u);
    shared->MakeCurrent();
    EXPECT_EQ(shared->GetBoundFramebuffer(), nullptr);
    EXPECT_EQ(shared->DrawPrimitives(PrimitiveType::Points, 0, 0), ResultCode::Success);  // ASan: no freed texture
}

// Texels to a pixel buffer at an offset and back into another texture, leaving no buffer bound; the window's
// back buffer into host memory and into a texture, with and without the direct-state entry point, leaving
// GL_FRONT the read buffer.
TEST_F(TextureTest, CopiesMoveTexelsBetweenPixelBuffersTexturesAndTheBackBuffer) {
    Texture *source = MakeTexture(PixelFormat::RGBA8, 8, 4), *destination = MakeTexture(PixelFormat::RGBA8, 8, 4);
    Bytes texels = Pattern(*FindPixelFormat(PixelFormat::RGBA8, "test"), 32);
    source->LoadSubImage(0, 0, 0, 0, 8, 4, 1, 0, texels.data());
    PixelBuffer* buffer = NewPixelBuffer();
    buffer->BufferData(512, nullptr, BufferUsage::DynamicRead);
    EXPECT_EQ(context->CopyTextureToBuffer(source, buffer, 256), ResultCode::Success);
    EXPECT_EQ(GetValues({GL_FRAMEBUFFER_BINDING, GL_PIXEL_PACK_BUFFER_BINDING}), std::vector<float>(2, 0));
    auto* mapped = static_cast<const uint8_t*>(buffer->MapBuffer(MapAccess::Read, nullptr));
    ASSERT_NE(mapped, nullptr);
    EXPECT_EQ(Bytes(mapped + 256, mapped + 384), texels);
    buffer->UnmapBuffer();
    EXPECT_EQ(context->CopyBufferToTexture(buffer, 256, destination), 0u);
    EXPECT_EQ(Get(GL_PIXEL_UNPACK_BUFFER_BINDING), 0);
    EXPECT_EQ(Image(destination, 128), texels);
    // Green through the direct-state entry point, then red through the texture binding.
    auto copyDirectStateAccess = __glewCopyTextureSubImage2DEXT;
    for (float green : {1.0f, 0.0f}) {
        const float colour[4] = {1 - green, green, 0, 1};
        __glewCopyTextureSubImage2DEXT = green == 1 ? copyDirectStateAccess : nullptr;
        context->Clear(ClearColorBuffer, colour, 1, 0);
        float rgba[2 * 2 * 4] = {};
        EXPECT_EQ(context->ReadPixels(1, 4, 4, 2, 2, rgba), ResultCode::Success);
        EXPECT_EQ(std::vector<float>(rgba + 12, rgba + 16), std::vector<float>(colour, colour + 4));
        EXPECT_EQ(Get(GL_READ_BUFFER), GL_FRONT);
        EXPECT_EQ(context->CopyFramebuffer(7, destination), ResultCode::Success);
        EXPECT_EQ(Get(GL_READ_BUFFER), GL_FRONT);  // put back after the copy too
        EXPECT_EQ(Image(destination, 128)[125], green * 255) << "green of the last texel";
    }
    __glewCopyTextureSubImage2DEXT = copyDirectStateAccess;
}

}  // namespace
