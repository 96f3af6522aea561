// Textures, framebuffers and copies on real GL: formats round-trip, swizzles and sampler parameters seen
// by a shader, off-screen rendering with and without multisampling, and pixels moved between
// framebuffers, textures, pixel buffers and host memory.
#include "gl_test.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "gl/gl_texture.h"
#include "gl/pixel_format_table.h"

using namespace vindra;
using namespace vindra_test;

namespace {

using Bytes = std::vector<uint8_t>;

// A triangle over the whole target (modes 0 and 1) or over its lower-left half (mode 2), at `depth`;
// mode 1 samples unit 0 in the middle, the others paint `color`.
const char* const kShaders[] = {
    "#version 450 core\nuniform int mode;\nuniform float depth;\nvoid main() {\n"
    "  vec2 corner = vec2(gl_VertexID == 1 ? 1 : -1, gl_VertexID == 2 ? 1 : -1);\n"
    "  gl_Position = vec4(mode == 2 ? corner : corner * 2.0 + 1.0, depth, 1.0);\n}\n",
    "#version 450 core\nuniform int mode;\nuniform vec4 color;\nuniform sampler2D image;\nout vec4 fragColor;\n"
    "void main() { fragColor = mode == 1 ? texture(image, vec2(0.5)) : color; }\n"};

std::string Pointer(const void* pointer) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", pointer);
    return text;
}

// A framebuffer description with every field given; what the arguments leave out is absent.
FramebufferDesc Fb(Texture* colour, int32_t samples, int32_t width = 0, int32_t height = 0, uint8_t colorBuffer = 0,
                   PixelFormat colorFormat = PixelFormat::RGBA8, uint8_t depthBuffer = 0,
                   PixelFormat depthFormat = PixelFormat::Depth24Stencil8) {
    return {colour,      samples,     width,       height, colorBuffer,
            colorFormat, depthBuffer, depthFormat, 0,      PixelFormat::Stencil8};
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
        program = GLuint(Get(GL_CURRENT_PROGRAM));
        glViewport(0, 0, 64, 64);
        ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    void TearDown() override {
        if (context) {
            context->MakeCurrent();
            for (Framebuffer*& framebuffer : framebuffers) context->ReleaseFramebuffer(&framebuffer);
            for (Texture*& texture : textures) context->ReleaseTexture(&texture);
            for (PixelBuffer*& buffer : pixelBuffers) context->ReleasePixelBuffer(&buffer);
            context->ReleaseShaderProgram(&shaders);
        }
        GlTest::TearDown();
    }
    Texture* MakeTexture(PixelFormat format, int32_t width, int32_t height, int32_t depth = 0, uint8_t target2D = 1) {
        Texture* texture = textures.emplace_back(context->CreateTexture());
        lastInit = texture->Init(TextureDesc{format, width, height, depth, 0, target2D, 0, 0});
        return texture;
    }
    Framebuffer* MakeFramebuffer(FramebufferDesc& desc) {
        Framebuffer* framebuffer = framebuffers.emplace_back(context->CreateFramebuffer());
        lastInit = framebuffer->Init(desc);
        return framebuffer;
    }
    PixelBuffer* MakePixelBuffer(uint64_t size) {
        PixelBuffer* buffer = pixelBuffers.emplace_back(context->CreatePixelBuffer());
        if (size > 0) buffer->BufferData(size, nullptr, BufferUsage::DynamicRead);
        return buffer;
    }
    // Draws through the context, so that pending sampler parameters go first.
    void Draw(int mode, std::array<float, 4> color = {1, 0, 0, 1}, float depth = 0) {
        glUniform1i(glGetUniformLocation(program, "mode"), mode);
        glUniform4fv(glGetUniformLocation(program, "color"), 1, color.data());
        glUniform1f(glGetUniformLocation(program, "depth"), depth);
        EXPECT_EQ(context->DrawPrimitives(PrimitiveType::Triangles, 0, 3), ResultCode::Success);
    }
    static GLint TexParameter(Texture* texture, GLenum pname) {
        GLint value = -1;
        glGetTextureParameteriv(GLuint(texture->GetHandle(0)), pname, &value);
        return value;
    }
    static Bytes Image(Texture* texture, size_t bytes) {
        Bytes image(bytes);
        texture->ReadImage(0, image.data());
        return image;
    }

    ShaderProgram* shaders = nullptr;
    GLuint program = 0;  // its GL name, for the uniforms each draw sets
    ResultCode lastInit = ResultCode::Failed;
    std::vector<Texture*> textures;
    std::vector<Framebuffer*> framebuffers;
    std::vector<PixelBuffer*> pixelBuffers;
};

// Texel data GL stores unchanged for the format: floats and depths in [0, 1], the unused bits of the
// 32F depth-stencil texels clear.
Bytes Pattern(const PixelFormatRow& row, int texels) {
    Bytes bytes(row.bytesPerTexel * texels);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 37 + 11);
    const float floats[] = {0.0f, 0.25f, 0.5f, 1.0f};
    const uint16_t halves[] = {0x0000, 0x3400, 0x3800, 0x3C00};
    for (size_t i = 0; i * 2 < bytes.size(); ++i) {
        if (row.pixelType == GL_HALF_FLOAT) std::memcpy(&bytes[i * 2], &halves[i % 4], 2);
        bool depthWord = row.pixelType == GL_FLOAT_32_UNSIGNED_INT_24_8_REV && i % 4 == 0;
        if (i % 2 == 0 && (row.pixelType == GL_FLOAT || depthWord)) std::memcpy(&bytes[i * 2], &floats[i / 2 % 4], 4);
        if (row.pixelType == GL_FLOAT_32_UNSIGNED_INT_24_8_REV && i % 4 == 2) std::memset(&bytes[i * 2 + 1], 0, 3);
    }
    return bytes;
}

// Every format round-trips through LoadSubImage and ReadImage, on a 2D texture of 4x4 texels.
class FormatRoundTrip : public TextureTest, public ::testing::WithParamInterface<int> {};

TEST_P(FormatRoundTrip, LoadSubImageAndReadImageKeepTheTexels) {
    const PixelFormatRow& row = *FindPixelFormat(PixelFormat(GetParam()), "test");
    Texture* texture = MakeTexture(PixelFormat(GetParam()), 4, 4);
    Bytes in = Pattern(row, 16);
    ASSERT_EQ(lastInit, ResultCode::Success);
    ASSERT_EQ(texture->LoadSubImage(0, 0, 0, 0, 4, 4, 1, 0, in.data()), ResultCode::Success);
    EXPECT_EQ(Image(texture, in.size()), in);
    EXPECT_EQ(Get(GL_TEXTURE_BINDING_2D), 0);  // ReadImage leaves nothing bound
    ExpectMessages({});
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatRoundTrip, ::testing::Range(0, kPixelFormatCount),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(FindPixelFormat(PixelFormat(info.param), "test")->name);
                         });

// What a shader samples from one texel: swizzles show grey, grey-and-alpha, and red and blue exchanged.
// clang-format off
const std::tuple<const char*, PixelFormat, Bytes, std::array<uint8_t, 4>> kSampled[] = {
    {"L8", PixelFormat::L8, {200}, {200, 200, 200, 255}},
    {"LA8", PixelFormat::LA8, {200, 100}, {200, 200, 200, 100}},
    {"L16", PixelFormat::L16, {0x00, 0x80}, {128, 128, 128, 255}},
    {"LA16F", PixelFormat::LA16F, {0x00, 0x38, 0x00, 0x34}, {128, 128, 128, 64}},
    {"BGRA8", PixelFormat::BGRA8, {10, 20, 30, 40}, {30, 20, 10, 40}},
    {"BGRA16", PixelFormat::BGRA16, {0, 0x20, 0, 0x40, 0, 0x60, 0, 0x80}, {96, 64, 32, 128}},
    {"RGBA8 after L8", PixelFormat::RGBA8, {10, 20, 30, 40}, {10, 20, 30, 40}},  // Init again: identity swizzle
};
// clang-format on

TEST_F(TextureTest, ShadersSampleTheFormatsSwizzle) {
    Texture* texture = context->CreateTexture();
    textures.push_back(texture);
    for (const auto& [name, format, texel, sampled] : kSampled) {
        SCOPED_TRACE(name);
        texture->Init(TextureDesc{format, 1, 1, 0, 0, 1, 0, 0});
        texture->LoadSubImage(0, 0, 0, 0, 1, 1, 1, 0, texel.data());
        context->BindTexture(texture, 0, 0);
        Draw(1);
        std::array<uint8_t, 4> pixel = ReadPixel(32, 32);
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(pixel[c], sampled[c], 1) << "channel " << c;
    }
}

TEST_F(TextureTest, SamplerParametersReachGlAtTheNextDrawOnlyWhenChanged) {
    Texture* texture = MakeTexture(PixelFormat::RGBA8, 2, 2);
    const float border[4] = {0.5f, 0.25f, 1, 1};
    texture->SetWrapS(TextureWrap::Repeat);
    texture->SetWrapT(TextureWrap::MirroredRepeat);
    texture->SetWrapR(TextureWrap::ClampToBorder);
    texture->SetMinFilter(TextureFilter::LinearMipmapNearest);
    texture->SetMagFilter(TextureFilter::Nearest);
    texture->SetBorderColor(border);
    EXPECT_EQ(TexParameter(texture, GL_TEXTURE_MAG_FILTER), GL_LINEAR);  // kept until a draw
    context->BindTexture(texture, 0, 3);
    Draw(0);
    const std::pair<GLenum, GLint> sent[] = {{GL_TEXTURE_WRAP_S, GL_REPEAT},
                                             {GL_TEXTURE_WRAP_T, GL_MIRRORED_REPEAT},
                                             {GL_TEXTURE_WRAP_R, GL_CLAMP_TO_BORDER},
                                             {GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST},
                                             {GL_TEXTURE_MAG_FILTER, GL_NEAREST}};
    for (auto [pname, value] : sent) EXPECT_EQ(TexParameter(texture, pname), value) << std::hex << pname;
    float sentBorder[4] = {};
    glGetTextureParameterfv(GLuint(texture->GetHandle(0)), GL_TEXTURE_BORDER_COLOR, sentBorder);
    EXPECT_EQ(sentBorder[1], 0.25f);
    EXPECT_EQ(Get(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    // Unchanged values are not sent again: GL keeps what was set behind the texture's back.
    glTextureParameteri(GLuint(texture->GetHandle(0)), GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    texture->SetWrapS(TextureWrap::Repeat);
    Draw(0);
    EXPECT_EQ(TexParameter(texture, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
}

// The target follows the extents; a texture without any is refused and keeps its description.
TEST_F(TextureTest, InitChoosesTheTargetFromTheExtents) {
    // clang-format off
    const std::tuple<int32_t, int32_t, int32_t, uint8_t, ResultCode, GLenum> rows[] = {
        {8, 0, 0, 1, ResultCode::Success, GL_TEXTURE_1D}, {8, 4, 0, 0, ResultCode::Success, GL_TEXTURE_RECTANGLE},
        {8, 4, 0, 1, ResultCode::Success, GL_TEXTURE_2D}, {8, 0, 2, 1, ResultCode::Success, GL_TEXTURE_3D},
        {0, 0, 0, 1, ResultCode::InvalidValue, GlTexture::kNoTarget}};
    // clang-format on
    for (const auto& [width, height, depth, target2D, result, target] : rows) {
        Texture* texture = MakeTexture(PixelFormat::RGBA8, width, height, depth, target2D);
        EXPECT_EQ(lastInit, result) << width << "x" << height << "x" << depth;
        EXPECT_EQ(texture->GetHandle(1), target);
        EXPECT_EQ(texture->GetDesc()->width, width);
    }
    ExpectMessages({});
}

TEST_F(TextureTest, RefusalsNameTheOperationAndTheValue) {
    int32_t limit = Get(GL_MAX_TEXTURE_SIZE), attachments = Get(GL_MAX_COLOR_ATTACHMENTS);
    auto* foreign = reinterpret_cast<Texture*>(&limit);
    Texture *texture = MakeTexture(PixelFormat::RGBA8, 8, 4), *copied = MakeTexture(PixelFormat::RGBA8, 8, 4);
    Texture* depthTexture = MakeTexture(PixelFormat::Depth16, 8, 8);
    FramebufferDesc colour = Fb(texture, 1);
    Framebuffer* framebuffer = MakeFramebuffer(colour);
    PixelBuffer *buffer = MakePixelBuffer(512), *empty = MakePixelBuffer(0);
    Texture* blank = textures.emplace_back(context->CreateTexture());
    auto init = [&](FramebufferDesc desc) { return MakeFramebuffer(desc), lastInit; };
    const ResultCode invalid = ResultCode::InvalidValue, badEnum = ResultCode::InvalidEnum;
    std::string noFit = " does not suit that attachment", notOurs = " is not a texture of this library";
    // clang-format off
    ExpectRefusals({
        {"format", [&] { return texture->Init(TextureDesc{PixelFormat(35), 4, 4, 0, 0, 1, 0, 0}); }, badEnum, "GlTexture::Init: invalid PixelFormat 35"},
        {"extent", [&] { return texture->Init(TextureDesc{PixelFormat::R8, limit + 1, 4, 0, 0, 1, 0, 0}); }, invalid,
         "GlTexture::Init: extent " + std::to_string(limit + 1) + "x4x0 outside 0 to the device's limit " + std::to_string(limit)},
        {"wrap", [&] { return texture->SetWrapT(TextureWrap(5)); }, badEnum, "GlTexture::SetWrapT: invalid TextureWrap 5"},
        {"filter", [&] { return texture->SetMagFilter(TextureFilter(-1)); }, badEnum, "GlTexture::SetMagFilter: invalid TextureFilter -1"},
        {"null load", [&] { return texture->LoadSubImage(0, 0, 0, 0, 1, 1, 1, 0, nullptr); }, invalid, "GlTexture::LoadSubImage: null data and no pixel buffer bound"},
        {"null read", [&] { return texture->ReadImage(0, nullptr); }, invalid, "GlTexture::ReadImage: null data and no pixel buffer bound"},
        {"load before init", [&] { return blank->LoadSubImage(0, 0, 0, 0, 1, 1, 1, 0, &limit); }, ResultCode::InvalidOperation, ""},
        {"unit", [&] { return context->BindTexture(texture, 0, 16); }, invalid, "GlContext::BindTexture: unit 16 outside 0 to 15"},
        {"foreign", [&] { return context->BindTexture(foreign, 0, 0); }, invalid, "GlContext::BindTexture: " + Pointer(foreign) + notOurs},
        {"release foreign", [&] { Texture* f = foreign; return ResultCode(context->ReleaseTexture(&f)); }, invalid, "GlContext::ReleaseTexture: " + Pointer(foreign) + notOurs},
        {"read null", [&] { return context->ReadPixels(0, 0, 0, 1, 1, nullptr); }, invalid, "GlContext::ReadPixels: null rgba"},
        {"colour as depth", [&] { return init(Fb(nullptr, 1, 8, 8, 0, PixelFormat::RGBA8, 1, PixelFormat::RGBA8)); }, invalid, "GlFramebuffer::Init: depthFormat RGBA8" + noFit},
        {"depth as colour", [&] { return init(Fb(nullptr, 1, 8, 8, 1, PixelFormat::Depth16)); }, invalid, "GlFramebuffer::Init: colorFormat Depth16" + noFit},
        {"depth texture", [&] { return init(Fb(depthTexture, 1)); }, invalid, "GlFramebuffer::Init: colour texture format Depth16" + noFit},
        {"colour format", [&] { return init(Fb(nullptr, 1, 8, 8, 1, PixelFormat(40))); }, badEnum, "GlFramebuffer::Init: invalid PixelFormat 40"},
        {"no size", [&] { return init(Fb(nullptr, 4, 0, 8, 1)); }, invalid,
         "GlFramebuffer::Init: size 0x8 outside 1 to the device's limit " + std::to_string(Get(GL_MAX_RENDERBUFFER_SIZE))},
        {"foreign colour", [&] { return init(Fb(foreign, 1)); }, invalid, "GlFramebuffer::Init: " + Pointer(foreign) + notOurs},
        {"incomplete", [&] { return init(Fb(nullptr, 1)); }, ResultCode::Success, "GlFramebuffer::AttachBuffers: Framebuffer not complete: 0x8cd7"},
        {"index", [&] { return framebuffer->AttachColorTexture(texture, attachments); }, invalid,
         "GlFramebuffer::AttachColorTexture: index " + std::to_string(attachments) + " beyond the device's " + std::to_string(attachments) + " colour attachments"},
        {"negative index", [&] { return framebuffer->AttachColorTexture(texture, -1); }, ResultCode::InvalidOperation, ""},
        {"detach empty", [&] { return framebuffer->AttachColorTexture(nullptr, 5); }, ResultCode::InvalidOperation, ""},
        {"past the end", [&] { return context->CopyTextureToBuffer(copied, buffer, 385); }, invalid,
         "GlContext::CopyTextureToBuffer: 128 bytes at offset 385 leave the pixel buffer of 512 bytes"},
        {"offset wraps", [&] { return ResultCode(context->CopyBufferToTexture(buffer, UINT64_MAX, copied)); }, invalid,
         "GlContext::CopyBufferToTexture: 128 bytes at offset 18446744073709551615 leave the pixel buffer of 512 bytes"},
        {"no storage", [&] { return ResultCode(context->CopyBufferToTexture(empty, 0, copied)); }, invalid,
         "GlContext::CopyBufferToTexture: the pixel buffer has no storage (BufferData first)"},
        {"null buffer", [&] { return context->CopyTextureToBuffer(copied, nullptr, 0); }, invalid, "GlContext::CopyTextureToBuffer: null pixel buffer"},
        {"null texture", [&] { return context->CopyFramebuffer(1, nullptr); }, invalid, "GlContext::CopyFramebuffer: null texture"},
    });
    // clang-format on
}

TEST_F(TextureTest, ReleasesLeaveExternalTexturesAndOtherContextsIntact) {
    GLuint external = 0;
    glCreateTextures(GL_TEXTURE_2D, 1, &external);
    Texture* wrapped = textures.emplace_back(context->CreateTexture());
    EXPECT_EQ(wrapped->Init(TextureDesc{PixelFormat::RGBA8, 4, 4, 0, 0, 1, TextureFlagExternal, external}),
              ResultCode::Success);
    EXPECT_EQ(wrapped->GetHandle(0), external);
    context->ReleaseTexture(&textures.back());
    EXPECT_TRUE(glIsTexture(external));
    // A texture bound on two units here and on a shared context, released here: every record goes.
    Texture* texture = MakeTexture(PixelFormat::RGBA8, 4, 4);
    context->BindTexture(texture, 0, 2);
    context->BindTexture(texture, 0, 5);
    ContextPtr shared(context->CreateSharedContext());
    shared->MakeCurrent();
    shared->BindTexture(texture, 0, 1);
    context->MakeCurrent();
    EXPECT_EQ(context->ReleaseTexture(&textures.back()), 0u);
    EXPECT_EQ(Get(GL_TEXTURE_BINDING_2D), 0);
    shared->MakeCurrent();
    EXPECT_EQ(shared->DrawPrimitives(PrimitiveType::Points, 0, 0), ResultCode::Success);  // ASan: no freed texture
    shared.reset();
    context->MakeCurrent();
}

// Off-screen, single-sampled and with 16 samples asked for (clamped): a near white triangle hides the far
// green behind it through the depth-stencil attachment, and the resolve averages the edge.
TEST_F(TextureTest, FramebuffersDepthTestAndResolveASmoothedEdge) {
    for (int32_t samples : {1, 16}) {
        SCOPED_TRACE(samples);
        Texture* texture = MakeTexture(PixelFormat::RGBA8, 64, 64);
        FramebufferDesc desc = Fb(texture, samples, 0, 0, 0, PixelFormat::RGBA8, 1);
        Framebuffer* framebuffer = MakeFramebuffer(desc);
        EXPECT_EQ(desc.samples, std::min(samples, Get(GL_MAX_SAMPLES)));
        ASSERT_EQ(context->BindFramebuffer(framebuffer), ResultCode::Success);
        EXPECT_EQ(context->GetBoundFramebuffer(), framebuffer);
        const float black[4] = {0, 0, 0, 1};
        context->Clear(ClearColorBuffer | ClearDepthBuffer, black, 1, 0);
        context->EnableDepthTest(true);
        Draw(2, {1, 1, 1, 1}, -0.5f);
        Draw(0, {0, 1, 0, 1}, 0.5f);  // behind the triangle: seen only around it
        context->EnableDepthTest(false);
        EXPECT_EQ(framebuffer->ResolveMultisample(), ResultCode::Success);
        context->BindFramebuffer(nullptr);
        Bytes pixels = Image(texture, 64 * 64 * 4);
        EXPECT_EQ(Bytes(&pixels[(10 * 64 + 10) * 4], &pixels[(10 * 64 + 10) * 4 + 4]), (Bytes{255, 255, 255, 255}));
        EXPECT_EQ(Bytes(&pixels[(50 * 64 + 50) * 4], &pixels[(50 * 64 + 50) * 4 + 4]), (Bytes{0, 255, 0, 255}));
        int between = 0;
        for (int x = 0; x < 64; ++x) between += pixels[((63 - x) * 64 + x) * 4] % 255 != 0;
        EXPECT_EQ(between > 32, samples > 1) << between << " edge pixels between white and green";
    }
}

// A framebuffer of this context bound on a shared one renders through that context's spare objects; a
// texture at index 3 grows the attachment list.
TEST_F(TextureTest, SharedContextRendersIntoTheSameTexture) {
    Texture* texture = MakeTexture(PixelFormat::RGBA8, 8, 8);
    FramebufferDesc desc = Fb(texture, 1);
    Framebuffer* framebuffer = MakeFramebuffer(desc);
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
    const float blue[4] = {0, 0, 1, 1};
    shared->Clear(ClearColorBuffer, blue, 1, 0);
    EXPECT_EQ(shared->BindFramebuffer(nullptr), ResultCode::Success);
    EXPECT_EQ(Get(GL_FRAMEBUFFER_BINDING), 0);
    shared->Finish();
    context->MakeCurrent();
    Bytes image = Image(texture, 256);
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 4), (Bytes{0, 0, 255, 255}));
    // Bound there again and released here: the shared context's record goes with it.
    shared->MakeCurrent();
    shared->BindFramebuffer(framebuffer);
    context->MakeCurrent();
    context->ReleaseFramebuffer(&framebuffers.back());
    shared->MakeCurrent();
    EXPECT_EQ(shared->GetBoundFramebuffer(), nullptr);
    shared.reset();
    context->MakeCurrent();
    ExpectMessages({});
}

TEST_F(TextureTest, TexelsTravelThroughPixelBuffersAtAnOffset) {
    Texture* source = MakeTexture(PixelFormat::RGBA8, 8, 4);
    Texture* destination = MakeTexture(PixelFormat::RGBA8, 8, 4);
    Bytes texels = Pattern(*FindPixelFormat(PixelFormat::RGBA8, "test"), 32);
    source->LoadSubImage(0, 0, 0, 0, 8, 4, 1, 0, texels.data());
    PixelBuffer* buffer = MakePixelBuffer(512);
    GLint framebufferBefore = Get(GL_FRAMEBUFFER_BINDING);
    EXPECT_EQ(context->CopyTextureToBuffer(source, buffer, 256), ResultCode::Success);
    EXPECT_EQ(Get(GL_FRAMEBUFFER_BINDING), framebufferBefore);
    EXPECT_EQ(Get(GL_PIXEL_PACK_BUFFER_BINDING), 0);
    ResultCode status = ResultCode::Failed;
    auto* mapped = static_cast<const uint8_t*>(buffer->MapBuffer(MapAccess::Read, &status));
    ASSERT_NE(mapped, nullptr);
    EXPECT_EQ(Bytes(mapped + 256, mapped + 384), texels);
    buffer->UnmapBuffer();
    EXPECT_EQ(context->CopyBufferToTexture(buffer, 256, destination), 0u);
    EXPECT_EQ(Get(GL_PIXEL_UNPACK_BUFFER_BINDING), 0);
    EXPECT_EQ(Image(destination, 128), texels);
}

// The window's back buffer into host memory and into a texture, with and without the direct-state entry point;
// with a framebuffer bound, id 0 reads its colour and another id warns and reads GL_FRONT, which GL refuses.
TEST_F(TextureTest, ReadPixelsAndCopyFramebufferChooseTheirBuffers) {
    const float green[4] = {0, 1, 0, 1}, red[4] = {1, 0, 0, 1};
    context->Clear(ClearColorBuffer, green, 1, 0);
    float rgba[2 * 2 * 4] = {};
    EXPECT_EQ(context->ReadPixels(1, 4, 4, 2, 2, rgba), ResultCode::Success);
    EXPECT_EQ(std::vector<float>(rgba + 12, rgba + 16), (std::vector<float>{0, 1, 0, 1}));
    EXPECT_EQ(Get(GL_READ_BUFFER), GL_FRONT);
    Texture* texture = MakeTexture(PixelFormat::RGBA8, 4, 4);
    auto copyDirectStateAccess = __glewCopyTextureSubImage2DEXT;
    for (bool directStateAccess : {true, false}) {
        __glewCopyTextureSubImage2DEXT = directStateAccess ? copyDirectStateAccess : nullptr;
        context->Clear(ClearColorBuffer, directStateAccess ? green : red, 1, 0);
        EXPECT_EQ(context->CopyFramebuffer(7, texture), ResultCode::Success);
        Bytes last = Image(texture, 64);
        EXPECT_EQ(Bytes(last.begin() + 60, last.end()),
                  (directStateAccess ? Bytes{0, 255, 0, 255} : Bytes{255, 0, 0, 255}));
    }
    __glewCopyTextureSubImage2DEXT = copyDirectStateAccess;
    FramebufferDesc desc = Fb(texture, 1);
    context->BindFramebuffer(MakeFramebuffer(desc));
    EXPECT_EQ(context->ReadPixels(0, 0, 0, 1, 1, rgba), ResultCode::Success);
    EXPECT_EQ(rgba[0], 1.0f);
    EXPECT_EQ(context->ReadPixels(1, 0, 0, 1, 1, rgba), ResultCode::InvalidOperation);
    ExpectMessages({{kWarning, "GlContext::ReadPixel: Unknown buffer id: 1"},
                    {kError, "GlContext::ReadPixels: GL_INVALID_OPERATION"}});
    context->BindFramebuffer(nullptr);
}

}  // namespace
